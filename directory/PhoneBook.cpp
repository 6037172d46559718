#include "directory/PhoneBook.h"
