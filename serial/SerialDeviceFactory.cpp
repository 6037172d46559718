#include "serial/SerialDevice.h"
