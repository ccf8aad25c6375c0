// Output names held for one run against every other run, in this process or another.
#include "engine/OutputReservation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

class OutputReservationTest : public ::testing::Test {
protected:
    std::string PathOf(const QString& name) const { return (folder.path() + "/" + name).toStdString(); }
    bool Exists(const QString& name) const { return QFile::exists(folder.path() + "/" + name); }
    void Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(folder.path() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // What stays beside the outputs: every hidden reservation file.
    QStringList Reservations() const
    {
        return QDir(folder.path()).entryList({ ".*.reserved" }, QDir::Files | QDir::Hidden);
    }

    QTemporaryDir folder;
};

TEST_F(OutputReservationTest, EachHolderGetsItsOwnNameAndReleasingFreesIt)
{
    std::vector<std::unique_ptr<TOutputReservation>> held;
    for (int i = 0; i < 3; ++i)
        held.push_back(std::make_unique<TOutputReservation>(PathOf("clip.mp4")));

    EXPECT_EQ(held[0]->Output(), PathOf("clip.mp4"));
    EXPECT_EQ(held[1]->Output(), PathOf("clip_2.mp4"));
    EXPECT_EQ(held[2]->Output(), PathOf("clip_2_2.mp4"));
    EXPECT_EQ(Reservations().size(), 3);
    EXPECT_FALSE(Exists("clip.mp4")) << "the encoder makes the output, not the reservation";

    Write("clip.mp4", "finished");
    held[0].reset();
    EXPECT_TRUE(Exists("clip.mp4")) << "releasing keeps a finished output";
    EXPECT_TRUE(OutputDone(PathOf("clip.mp4")));
    Write("clip_2.mp4", "partial");
    EXPECT_FALSE(OutputDone(PathOf("clip_2.mp4"))) << "an output with a reservation beside it is unfinished";
    held.clear();
    EXPECT_TRUE(Reservations().isEmpty());
    EXPECT_EQ(TOutputReservation(PathOf("clip.mp4")).Output(), PathOf("clip_2_2.mp4"));
}

// What a holder that died leaves (a reservation with its owner's note, locked by nobody) is taken over, and the
// unfinished output beside it removed; one being made right now (still empty) is left alone.
TEST_F(OutputReservationTest, ReservationOfAHolderThatIsGoneIsTakenOver)
{
    Write(".clip.mp4.reserved", "reelhand on elsewhere, process 1\n");
    Write("clip.mp4", "half written");
    Write(".other.mp4.reserved", "");

    TOutputReservation taken(PathOf("clip.mp4"));
    TOutputReservation other(PathOf("other.mp4"));

    EXPECT_EQ(taken.Output(), PathOf("clip.mp4"));
    EXPECT_FALSE(Exists("clip.mp4"));
    EXPECT_EQ(other.Output(), PathOf("other_2.mp4"));
}

TEST_F(OutputReservationTest, FolderThatIsNotThereCannotBeReserved)
{
    try {
        TOutputReservation reservation(PathOf("missing/clip.mp4"));
        FAIL() << "reserved " << reservation.Output();
    } catch (const EReservationError& error) {
        EXPECT_EQ(error.Message(),
            "The output \"" + PathOf("missing/clip.mp4") + "\" cannot be reserved: No such file or directory");
    }
}

} // namespace
