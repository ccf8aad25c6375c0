#include "toolkit/FolderWalk.h"

#include "toolkit/FileDrop.h"

#include <QProgressDialog>

namespace
{
// A walk that ends sooner shows no box at all.
constexpr int BoxDelayMs = 400;
constexpr int ProgressIntervalMs = 100;
} // namespace

TFolderWalk::TFolderWalk(QWidget* window, TWalk walk, std::function<void(QStringList)> done)
    : QObject(window)
    , m_done(std::move(done))
    , m_box(new QProgressDialog("Looking for video files...", "Cancel", 0, 0, window))
{
    m_box->setWindowModality(Qt::WindowModal);
    m_box->setMinimumDuration(BoxDelayMs);
    m_box->setAutoReset(false);
    m_box->setValue(0);
    QObject::connect(m_box, &QProgressDialog::canceled, this, [this] { Cancel(); });
    QObject::connect(&m_progress, &QTimer::timeout, this, [this] { ShowProgress(); });
    m_progress.start(ProgressIntervalMs);
    // The result comes back through the event loop; the walk is cancelled before this object goes.
    m_thread = std::thread([this, walk = std::move(walk)] {
        const QStringList files = walk(&m_cancelled, &m_found);
        QMetaObject::invokeMethod(
            this, [this, files] { Ended(files); }, Qt::QueuedConnection);
    });
}

TFolderWalk::~TFolderWalk()
{
    m_cancelled = true;
    if (m_thread.joinable())
        m_thread.join();
    delete m_box;
}

void TFolderWalk::Cancel()
{
    if (!m_running)
        return;
    m_cancelled = true;
    m_running = false;
    m_progress.stop();
    CloseBox();
    deleteLater();
}

void TFolderWalk::CloseBox()
{
    if (!m_box)
        return;
    m_box->cancel();
    m_box->deleteLater();
    m_box = nullptr;
}

void TFolderWalk::ShowProgress()
{
    if (!m_box)
        return;
    // setValue lets the box decide when its delay is over; the label says how far the walk has got.
    m_box->setLabelText(QString("Looking for video files... %1 found").arg(m_found.load()));
    m_box->setValue(0);
}

void TFolderWalk::Ended(const QStringList& files)
{
    if (!m_running)
        return;
    m_running = false;
    m_progress.stop();
    CloseBox();
    if (m_done)
        m_done(files);
    deleteLater();
}
