#include "app/LineSettings.h"
