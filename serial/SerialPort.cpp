#include "serial/SerialPort.h"

#include <chrono>
#include <climits>
#include <system_error>

#include "serial/ArrivalRate.h"

int writeMultiplierMs(std::uint32_t baudRate)
{
    if (baudRate == 0) {
        return 0;
    }
    return static_cast<int>(19200U / baudRate);
}

int writeTimeLimitMs(std::uint32_t baudRate, std::size_t length)
{
    const int multiplier = writeMultiplierMs(baudRate);
    const unsigned long long limit = multiplier > 0
        ? static_cast<unsigned long long>(length) * static_cast<unsigned>(multiplier)
        : 2000ULL + length;
    return limit > static_cast<unsigned long long>(INT_MAX) ? INT_MAX : static_cast<int>(limit);
}

SerialPort::SerialPort() = default;

SerialPort::~SerialPort()
{
    close();
}

void SerialPort::reset()
{
    close();
    m_lineLost.store(false);
}

bool SerialPort::open(const LineSettings& settings)
{
    close();
    m_lineLost.store(false);
    // The write time limit divides by the baud rate, and the device cannot
    // express other byte sizes.
    if (settings.baudRate == 0 || settings.dataBits < 5 || settings.dataBits > 8) {
        return false;
    }
    std::unique_ptr<SerialDevice> device = createSerialDevice(settings.portName);
    if (!device || !device->open(settings)) {
        return false;
    }
    device->purge();
    {
        std::lock_guard<std::mutex> guard(m_deviceMutex);
        m_device = std::move(device);
        m_baudRate = settings.baudRate;
    }
    m_open.store(true);
    try {
        m_receiveThread = std::thread(&SerialPort::receiveLoop, this, m_device.get());
    } catch (const std::system_error&) {
        close();
        return false;
    }
    return true;
}

void SerialPort::close()
{
    if (!m_open.exchange(false)) {
        return;
    }
    // A receive thread held by a full queue checks the open flag under this
    // mutex, so it either sees the flag clear or is waiting for this notify.
    {
        std::lock_guard<std::mutex> guard(m_roomMutex);
    }
    m_roomChanged.notify_all();
    SerialDevice* device = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_deviceMutex);
        device = m_device.get();
    }
    if (device != nullptr) {
        device->wake();
    }
    if (m_receiveThread.joinable()) {
        m_receiveThread.join();
    }
    std::unique_ptr<SerialDevice> closing;
    {
        std::lock_guard<std::mutex> guard(m_deviceMutex);
        closing = std::move(m_device);
        m_baudRate = 0;
    }
    if (closing) {
        closing->purge();
        closing->close();
    }
    m_queue.clear();
    m_output.clear();
}

void SerialPort::receiveLoop(SerialDevice* device)
{
    std::uint8_t buffer[readChunkSize];
    ArrivalRate arrivals;
    while (m_open.load()) {
        if (!waitForRoom()) {
            return;
        }
        // A set left over from the last drain is cleared only once every byte
        // it announced has been taken: clearing it earlier could strand bytes
        // that the consumer had not yet gone back to wait for.
        if (m_queue.count() == 0) {
            m_dataReady.reset();
        }
        const DeviceWait result = device->waitForInput();
        if (result == DeviceWait::Readable) {
            std::size_t drained = 0;
            std::size_t got = 0;
            while (m_open.load() && drained < maxDrainBytes && m_queue.count() < receiveHighMark
                   && (got = device->readAvailable(buffer, sizeof buffer)) > 0) {
                m_queue.pushMany(buffer, got);
                drained += got;
            }
            m_dataReady.set();
            arrivals.count(drained, ArrivalRate::Clock::now());
            if (arrivals.slow() && drained < readChunkSize) {
                gatherTrickle();
            }
        } else if (result == DeviceWait::Gone) {
            // The device will not come back: stop reading rather than spin on
            // a dead descriptor, and wake the consumer once so it can notice.
            m_lineLost.store(true);
            m_dataReady.set();
            return;
        }
    }
}

// A slow line ran dry after a short read: at its line rate it would
// otherwise cost a wake-up of this thread and of the consumer for every few
// bytes. A moment's pause lets the next bytes gather in the device; a fast
// sender is never paused. The first bytes after a quiet spell are read at
// once; closing ends the pause at once.
void SerialPort::gatherTrickle()
{
    std::unique_lock<std::mutex> lock(m_roomMutex);
    m_roomChanged.wait_for(lock, trickleGather, [this] { return !m_open.load(); });
}

bool SerialPort::waitForRoom()
{
    if (m_queue.count() < receiveHighMark) {
        return true;
    }
    std::unique_lock<std::mutex> lock(m_roomMutex);
    // Announced before the count is looked at, so a consumer that takes in
    // between either sees the announcement or leaves a count this sees.
    m_receiveHeld.store(true);
    m_roomChanged.wait(lock, [this] { return !m_open.load() || m_queue.count() <= receiveLowMark; });
    m_receiveHeld.store(false);
    return m_open.load();
}

void SerialPort::releaseReceiverIfRoom()
{
    if (m_receiveHeld.load() && m_queue.count() <= receiveLowMark) {
        {
            std::lock_guard<std::mutex> guard(m_roomMutex);
        }
        m_roomChanged.notify_one();
    }
}

namespace {

std::int64_t steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The device as the write queue sees it: it takes what fits without waiting.
class DeviceLine final : public WriteQueue::Line {
public:
    explicit DeviceLine(SerialDevice& device)
        : m_device(device)
    {
    }
    std::size_t writeSome(const std::uint8_t* data, std::size_t length) override
    {
        return m_device.write(data, length, 0);
    }
    bool outputLeft() override { return m_device.outputLeft(); }

private:
    SerialDevice& m_device;
};

} // namespace

std::size_t SerialPort::write(const std::uint8_t* data, std::size_t length)
{
    if (length == 0 || data == nullptr || m_lineLost.load() || !m_open.load()) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data), length);
    if (!m_output.push(bytes, writeTimeLimitMs(m_baudRate, length))) {
        return 0;
    }
    pumpOutput();
    return length;
}

std::size_t SerialPort::write(std::string_view bytes)
{
    return write(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void SerialPort::pumpOutput()
{
    if (m_output.empty()) {
        return;
    }
    std::lock_guard<std::mutex> guard(m_deviceMutex);
    if (!m_device || !m_open.load() || m_lineLost.load()) {
        // Nothing will take them any more.
        m_output.clear();
        return;
    }
    DeviceLine line(*m_device);
    m_output.pump(line, steadyMs());
}

std::int64_t SerialPort::outputHeldMs() const
{
    return m_output.heldMs(steadyMs());
}

std::size_t SerialPort::readAvailable(std::uint8_t* buffer, std::size_t capacity)
{
    SerialDevice* device = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_deviceMutex);
        device = m_device.get();
    }
    if (device == nullptr || buffer == nullptr || capacity == 0) {
        return 0;
    }
    return device->readAvailable(buffer, capacity);
}

bool SerialPort::carrierDetected()
{
    if (m_lineLost.load()) {
        return false;
    }
    std::lock_guard<std::mutex> guard(m_deviceMutex);
    if (!m_device || !m_open.load()) {
        return false;
    }
    return m_device->carrierDetected();
}

bool SerialPort::takeByte(std::uint8_t& byte)
{
    if (m_queue.count() == 0) {
        return false;
    }
    const bool took = m_queue.tryPop(byte);
    releaseReceiverIfRoom();
    return took;
}

std::size_t SerialPort::takeBytes(std::uint8_t* out, std::size_t max)
{
    if (out == nullptr || max == 0 || m_queue.count() == 0) {
        return 0;
    }
    const std::size_t taken = m_queue.tryPopMany(out, max);
    releaseReceiverIfRoom();
    return taken;
}
