#pragma once
#include <QIcon>

// The program's icon: a modem-blue tile with a terminal prompt, drawn at each size.
QIcon appIcon();
