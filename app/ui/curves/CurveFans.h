#pragma once
// Which fans a curve edit reaches: "All fans" (every fan follows one curve) or one fan, whose
// curve alone changes. Curves are read as the engine reads them: a fan beyond the array runs on
// its last curve, and curves beyond the fan count drive nothing but are kept.

#include "app/core/FanPreset.h"

#include <QList>

namespace brisvane::CurveFans {

// The picker's "All fans" entry; any other choice is a fan index from 0.
inline constexpr int kAllFans = -1;

// The curve fan `fan` runs on; an empty curve for a preset without curves.
FanCurve curveOfFan(const QList<FanCurve>& curves, int fan);

// Whether every fan 0 ..< fanCount runs on the same curve (true for fewer than two fans).
bool allFansEqual(const QList<FanCurve>& curves, int fanCount);

// The picker's choice when a preset is opened: "All fans" when its fans share one curve, else
// the first fan.
int initialChoice(const QList<FanCurve>& curves, int fanCount);

// A choice that names no fan of `fanCount` becomes "All fans".
int validChoice(int choice, int fanCount);

// The curve shown and edited for `choice`: that fan's, or the first fan's for "All fans".
FanCurve shownCurve(const QList<FanCurve>& curves, int choice);

// The curves after `edited` replaced the shown one. The array is first filled out to fanCount
// with copies of its last curve; then one fan gets `edited`, or with "All fans" every fan does.
// Curves beyond fanCount stay as they were.
QList<FanCurve> withEdit(QList<FanCurve> curves, int choice, int fanCount, const FanCurve& edited);

// Choosing "All fans" while the fans differ makes each follow the shown curve, so the screen
// asks first; any other choice is taken at once.
bool needsUnifyConfirmation(const QList<FanCurve>& curves, int fanCount, int choice);

// The faint curves drawn behind the edited one: every other fan's, in fan order. None for "All
// fans" (the fans then share the shown curve) or a single fan.
QList<FanCurve> otherFansCurves(const QList<FanCurve>& curves, int choice, int fanCount);

} // namespace brisvane::CurveFans
