// Detection of a newly inserted key over sequences of mounted roots, tick by tick.
#include <gtest/gtest.h>

#include "files/drive_detect.h"

namespace tq {
namespace {

struct Tick {
    QStringList roots;
    QString found;
};

void run(DriveDetector& d, const std::vector<Tick>& ticks)
{
    for (std::size_t i = 0; i < ticks.size(); ++i)
        EXPECT_EQ(d.tick(ticks[i].roots), ticks[i].found) << "tick " << i;
}

const QStringList system{QStringLiteral("/"), QStringLiteral("/boot")};
const QStringList withKey{QStringLiteral("/"), QStringLiteral("/boot"), QStringLiteral("/media/usb0")};

TEST(DriveDetector, KeyInsertedAfterTheFirstTickIsFound)
{
    DriveDetector d;
    run(d, {{system, {}}, {system, {}}, {withKey, QStringLiteral("/media/usb0")}});
    EXPECT_EQ(d.KnownDrives, system);
}

TEST(DriveDetector, KeyPresentAtTheFirstTickMustBeReinserted)
{
    DriveDetector d;
    run(d, {{withKey, {}}, {withKey, {}}, {system, {}}, {withKey, QStringLiteral("/media/usb0")}});
}

TEST(DriveDetector, ReopenWithTheKeyStillInFindsItAtOnce)
{
    DriveDetector d;
    run(d, {{system, {}}, {withKey, QStringLiteral("/media/usb0")}});
    run(d, {{withKey, QStringLiteral("/media/usb0")}});
}

TEST(DriveDetector, SequencesOfRoots)
{
    const QString a = QStringLiteral("/media/a"), b = QStringLiteral("/media/b");
    const struct { const char* name; std::vector<Tick> ticks; } cases[] = {
        {"two keys in one tick: the first listed", {{system, {}}, {system + QStringList{b, a}, b}}},
        {"a key swapped between ticks is not new", {{system + QStringList{a}, {}}, {system + QStringList{b}, {}},
                                                    {system + QStringList{b, a}, a}}},
        {"a removed drive is forgotten at once", {{withKey, {}}, {QStringList{QStringLiteral("/")}, {}},
                                                  {system, QStringLiteral("/boot")}}},
        {"a longer list of known roots finds nothing", {{system, {}}, {system + QStringList{QStringLiteral("/")}, {}}}},
        {"no drives at all", {{{}, {}}, {{}, {}}, {QStringList{a}, {}}, {QStringList{a, b}, b}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DriveDetector d;
        run(d, c.ticks);
    }
}

TEST(DriveDetector, MountedRootsIncludeTheRootOfThisSystem)
{
    EXPECT_TRUE(mountedRoots().contains(QStringLiteral("/")));
}

}  // namespace
}  // namespace tq
