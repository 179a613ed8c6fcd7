#include "app/ui/curves/CurveFans.h"

#include <algorithm>

namespace brisvane::CurveFans {

FanCurve curveOfFan(const QList<FanCurve>& curves, int fan)
{
    if (curves.isEmpty())
        return {};
    if (fan >= 0 && fan < curves.size())
        return curves[fan];
    return curves.last();
}

bool allFansEqual(const QList<FanCurve>& curves, int fanCount)
{
    const FanCurve first = curveOfFan(curves, 0);
    for (int fan = 1; fan < fanCount; ++fan)
        if (!(curveOfFan(curves, fan) == first))
            return false;
    return true;
}

int initialChoice(const QList<FanCurve>& curves, int fanCount)
{
    return allFansEqual(curves, fanCount) ? kAllFans : 0;
}

int validChoice(int choice, int fanCount)
{
    return choice >= 0 && choice < fanCount ? choice : kAllFans;
}

FanCurve shownCurve(const QList<FanCurve>& curves, int choice)
{
    return curveOfFan(curves, choice == kAllFans ? 0 : choice);
}

QList<FanCurve> withEdit(QList<FanCurve> curves, int choice, int fanCount, const FanCurve& edited)
{
    const FanCurve last = curves.isEmpty() ? FanCurve{} : curves.last();
    while (curves.size() < fanCount)
        curves.append(last);
    if (choice == kAllFans) {
        const int reach = std::max(fanCount, 1); // a preset keeps at least the edited curve
        while (curves.size() < reach)
            curves.append(edited);
        std::fill(curves.begin(), curves.begin() + reach, edited);
    } else if (choice >= 0 && choice < curves.size()) {
        curves[choice] = edited;
    }
    return curves;
}

bool needsUnifyConfirmation(const QList<FanCurve>& curves, int fanCount, int choice)
{
    return choice == kAllFans && !allFansEqual(curves, fanCount);
}

QList<FanCurve> otherFansCurves(const QList<FanCurve>& curves, int choice, int fanCount)
{
    QList<FanCurve> others;
    if (choice == kAllFans)
        return others;
    for (int fan = 0; fan < fanCount; ++fan)
        if (fan != choice)
            others.append(curveOfFan(curves, fan));
    return others;
}

} // namespace brisvane::CurveFans
