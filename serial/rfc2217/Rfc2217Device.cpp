#include "serial/rfc2217/Rfc2217Device.h"

std::unique_ptr<SerialDevice> createRfc2217Device(const std::string&, int)
{
    return nullptr;
}
