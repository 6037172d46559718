#include "tests/support/FakeSerialDevice.h"

#include <algorithm>
#include <map>

FakeSerialDevice::FakeSerialDevice(std::string portName)
    : m_portName(std::move(portName))
{
}

FakeSerialDevice::~FakeSerialDevice() = default;

void FakeSerialDevice::feed(std::string_view bytes)
{
    feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void FakeSerialDevice::feed(const std::uint8_t* bytes, std::size_t length)
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_open || m_vanished) {
            return;
        }
        m_input.insert(m_input.end(), bytes, bytes + length);
    }
    m_inputChanged.notify_all();
}

void FakeSerialDevice::setCarrier(bool present)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_carrier = present;
}

void FakeSerialDevice::vanish()
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_vanished = true;
        m_input.clear();
    }
    m_inputChanged.notify_all();
}

void FakeSerialDevice::reappear()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_vanished = false;
}

void FakeSerialDevice::failOpen(bool fail)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_failOpen = fail;
}

void FakeSerialDevice::holdOutput(bool held)
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_outputHeld = held;
    }
    m_writtenChanged.notify_all();
}

std::string FakeSerialDevice::written() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_written;
}

void FakeSerialDevice::clearWritten()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_written.clear();
}

bool FakeSerialDevice::waitForWritten(const std::function<bool(const std::string&)>& predicate,
                                      std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_writtenChanged.wait_for(lock, timeout, [&] { return predicate(m_written); });
}

bool FakeSerialDevice::waitForWrittenSize(std::size_t size, std::chrono::milliseconds timeout) const
{
    return waitForWritten([size](const std::string& bytes) { return bytes.size() >= size; }, timeout);
}

bool FakeSerialDevice::waitForWritten(std::string_view text, std::chrono::milliseconds timeout) const
{
    const std::string wanted(text);
    return waitForWritten(
        [&wanted](const std::string& bytes) { return bytes.find(wanted) != std::string::npos; },
        timeout);
}

bool FakeSerialDevice::isOpen() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_open;
}

int FakeSerialDevice::openCount() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_openCount;
}

int FakeSerialDevice::purgeCount() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_purgeCount;
}

LineSettings FakeSerialDevice::lastSettings() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_lastSettings;
}

int FakeSerialDevice::lastWriteTimeoutMs() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_lastWriteTimeoutMs;
}

std::size_t FakeSerialDevice::pendingInput() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_input.size();
}

bool FakeSerialDevice::open(const LineSettings& settings)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_open || m_vanished || m_failOpen) {
        return false;
    }
    m_open = true;
    m_wakePending = false;
    m_lastSettings = settings;
    ++m_openCount;
    return true;
}

void FakeSerialDevice::close()
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_open = false;
        m_input.clear();
    }
    m_inputChanged.notify_all();
}

void FakeSerialDevice::purge()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_input.clear();
    ++m_purgeCount;
}

DeviceWait FakeSerialDevice::waitForInput()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_inputChanged.wait(lock, [this] { return m_vanished || !m_open || m_wakePending || !m_input.empty(); });
    if (m_wakePending) {
        m_wakePending = false;
        return DeviceWait::Woken;
    }
    if (m_vanished || !m_open) {
        return DeviceWait::Gone;
    }
    return DeviceWait::Readable;
}

void FakeSerialDevice::wake()
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_wakePending = true;
    }
    m_inputChanged.notify_all();
}

std::size_t FakeSerialDevice::readAvailable(std::uint8_t* buffer, std::size_t capacity)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    if (!m_open || m_vanished) {
        return 0;
    }
    const std::size_t count = std::min(capacity, m_input.size());
    std::copy_n(m_input.begin(), count, buffer);
    m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

std::size_t FakeSerialDevice::write(const std::uint8_t* data, std::size_t length, int timeoutMs)
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_lastWriteTimeoutMs = timeoutMs;
        m_writtenChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0),
                                  [this] { return !m_outputHeld; });
        if (!m_open || m_vanished || m_outputHeld) {
            return 0;
        }
        m_written.append(reinterpret_cast<const char*>(data), length);
    }
    m_writtenChanged.notify_all();
    return length;
}

bool FakeSerialDevice::carrierDetected()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_open && !m_vanished && m_carrier;
}

namespace {

// What the port owns: forwards to the shared fake, and closes it if the port
// drops the handle without closing.
class FakeDeviceHandle : public SerialDevice {
public:
    explicit FakeDeviceHandle(std::shared_ptr<FakeSerialDevice> fake)
        : m_fake(std::move(fake))
    {
    }
    ~FakeDeviceHandle() override { close(); }

    bool open(const LineSettings& settings) override
    {
        m_opened = m_fake->open(settings);
        return m_opened;
    }
    void close() override
    {
        if (m_opened) {
            m_opened = false;
            m_fake->close();
        }
    }
    void purge() override { m_fake->purge(); }
    DeviceWait waitForInput() override { return m_fake->waitForInput(); }
    void wake() override { m_fake->wake(); }
    std::size_t readAvailable(std::uint8_t* buffer, std::size_t capacity) override
    {
        return m_fake->readAvailable(buffer, capacity);
    }
    std::size_t write(const std::uint8_t* data, std::size_t length, int timeoutMs) override
    {
        return m_fake->write(data, length, timeoutMs);
    }
    bool carrierDetected() override { return m_fake->carrierDetected(); }

private:
    std::shared_ptr<FakeSerialDevice> m_fake;
    bool m_opened = false;  // only this handle's own open is closed by it
};

} // namespace

struct FakeDeviceInstaller::State {
    mutable std::mutex mutex;
    std::map<std::string, std::shared_ptr<FakeSerialDevice>> devices;
    std::map<std::string, int> created;

    std::shared_ptr<FakeSerialDevice> device(const std::string& portName)
    {
        std::lock_guard<std::mutex> guard(mutex);
        auto& slot = devices[portName];
        if (!slot) {
            slot = std::make_shared<FakeSerialDevice>(portName);
        }
        return slot;
    }
};

FakeDeviceInstaller::FakeDeviceInstaller()
    : m_state(std::make_shared<State>())
{
    std::weak_ptr<State> weak = m_state;
    setSerialDeviceFactory([weak](const std::string& portName) -> std::unique_ptr<SerialDevice> {
        const std::shared_ptr<State> state = weak.lock();
        if (!state) {
            return nullptr;
        }
        {
            std::lock_guard<std::mutex> guard(state->mutex);
            ++state->created[portName];
        }
        return std::make_unique<FakeDeviceHandle>(state->device(portName));
    });
}

FakeDeviceInstaller::~FakeDeviceInstaller()
{
    setSerialDeviceFactory({});
}

std::shared_ptr<FakeSerialDevice> FakeDeviceInstaller::device(const std::string& portName)
{
    return m_state->device(portName);
}

int FakeDeviceInstaller::createdCount(const std::string& portName) const
{
    std::lock_guard<std::mutex> guard(m_state->mutex);
    const auto found = m_state->created.find(portName);
    return found == m_state->created.end() ? 0 : found->second;
}
