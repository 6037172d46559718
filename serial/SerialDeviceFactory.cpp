#include "serial/SerialDevice.h"

#include <mutex>

#include "serial/DeviceTarget.h"
#include "serial/LocalDevices.h"
#include "serial/SerialMap.h"
#include "serial/rfc2217/Rfc2217Device.h"

namespace {

std::mutex& factoryMutex()
{
    static std::mutex mutex;
    return mutex;
}

SerialDeviceFactory& installedFactory()
{
    static SerialDeviceFactory factory;
    return factory;
}

std::unique_ptr<SerialDevice> createSystemDevice(const std::string& portName)
{
    std::string target;
    if (!readSerialMapTarget(portName, target)) {
        return createLocalDevice(portName);
    }
    std::string host;
    int port = 0;
    if (parseRfc2217Target(target, host, port)) {
        return createRfc2217Device(host, port);
    }
    return createLocalDevice(target);
}

} // namespace

std::unique_ptr<SerialDevice> createSerialDevice(const std::string& portName)
{
    if (!isAcceptablePortName(portName)) {
        return nullptr;
    }
    SerialDeviceFactory factory;
    {
        std::lock_guard<std::mutex> guard(factoryMutex());
        factory = installedFactory();
    }
    if (factory) {
        return factory(portName);
    }
    return createSystemDevice(portName);
}

void setSerialDeviceFactory(SerialDeviceFactory factory)
{
    std::lock_guard<std::mutex> guard(factoryMutex());
    installedFactory() = std::move(factory);
}
