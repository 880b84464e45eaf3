#pragma once

#include <QString>

// One line naming the machine and the build that the figures come from: CPU model and count,
// memory, kernel, Qt, compiler and build type.
QString machineDescription();
