#include "directory/IpBook.h"
