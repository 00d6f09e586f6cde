// SPDX-License-Identifier: MIT
// Compiled with the include paths of the engine and the converter, this must fail: those
// libraries cannot see the window toolkit's headers.
#include <QtCore/QString>

#include "converter/decimal_feet.h"
