// Slot identifiers and their parsing.

#include "app/core/PresetSlot.h"

#include <QSet>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

const QUuid kUuid = QUuid::fromString(QStringLiteral("6e6c0001-0000-4000-8000-000000000001"));

TEST(PresetSlot, IdsRoundTrip)
{
    EXPECT_EQ(PresetSlot::automatic().id(), "automatic");
    EXPECT_EQ(PresetSlot::preset(kUuid).id(), "6E6C0001-0000-4000-8000-000000000001");
    EXPECT_EQ(PresetSlot::fromID(u"automatic"), PresetSlot::automatic());
    EXPECT_EQ(PresetSlot::fromID(u"6E6C0001-0000-4000-8000-000000000001"),
              PresetSlot::preset(kUuid));
    EXPECT_EQ(PresetSlot::fromID(u"6e6c0001-0000-4000-8000-000000000001"),
              PresetSlot::preset(kUuid));
}

TEST(PresetSlot, AnythingElseIsNoSlot)
{
    for (const char16_t* id :
         {u"", u"Automatic", u"automatic ", u"none", u"6E6C0001",
          u"{6E6C0001-0000-4000-8000-000000000001}", u"6E6C0001-0000-4000-8000-00000000000Z"})
        EXPECT_FALSE(PresetSlot::fromID(id).has_value()) << QString::fromUtf16(id).toStdString();
}

} // namespace
} // namespace brisvane
