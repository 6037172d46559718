#include "serial/rfc2217/Rfc2217Device.h"

#include "serial/rfc2217/NetworkSerialDevice.h"

std::unique_ptr<SerialDevice> createRfc2217Device(const std::string& host, int port)
{
    return std::make_unique<NetworkSerialDevice>(host, port);
}
