#pragma once
// How a fan is named wherever the app shows one (dashboard, chart legend, menu bar): a machine
// with two fans has a left and a right one, any other machine numbers its fans from 1.

#include <QString>

namespace brisvane {

QString sharedFanName(int index, int totalFanCount);

} // namespace brisvane
