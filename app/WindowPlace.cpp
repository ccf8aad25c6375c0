#include "app/WindowPlace.h"

#include "toolkit/VirtualStringTree.h"

#include <QSettings>
#include <QWidget>

namespace
{
const char* const Key = "window/geometry";
const char* const ColumnsKey = "window/columns";
// Wider than any screen: a settings file edited by hand cannot make a column nobody can reach the end of.
constexpr int WidestColumn = 20000;
} // namespace

void WindowPlace::Restore(QWidget* window)
{
    const QByteArray geometry = QSettings().value(Key).toByteArray();
    if (!geometry.isEmpty())
        window->restoreGeometry(geometry);
}

void WindowPlace::RestoreColumns(TVirtualStringTree* list)
{
    const QVariantList kept = QSettings().value(ColumnsKey).toList();
    if (kept.size() != list->ColumnCount())
        return;
    std::vector<int> widths;
    for (const QVariant& value : kept) {
        bool ok = false;
        const int width = value.toInt(&ok);
        if (!ok || width <= 0 || width > WidestColumn)
            return;
        widths.push_back(width);
    }
    list->SetColumnWidths(widths);
}

void WindowPlace::Keep(const QWidget* window, const TVirtualStringTree* list)
{
    QSettings settings;
    settings.setValue(Key, window->saveGeometry());
    QVariantList widths;
    for (int column = 0; column < list->ColumnCount(); ++column)
        widths << list->ColumnWidth(column);
    settings.setValue(ColumnsKey, widths);
}
