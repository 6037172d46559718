#include "serial/win32/Win32SerialDevice.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <system_error>
#include <vector>

#include "base/win32/WideText.h"
#include "serial/win32/CommSettings.h"

namespace {

// The most one WriteFile is given, so a close waits at most one write's time
// limit for the writer thread.
constexpr std::size_t writeChunkBytes = 256;
// A read that fails this many times in a row, with the device still
// answering, is taken for a device that has gone.
constexpr int failedReadsForGone = 3;
// Empty reads that come back long before the read time-out: a device that no
// longer keeps time-outs (a pseudo-terminal whose other side closed). This
// many in a row count as gone rather than being spun on.
constexpr ULONGLONG hastyReadMs = receiveWaitMs / 4;
constexpr int hastyReadsForGone = 20;
// A carrier read at most this often while data streams in.
constexpr ULONGLONG carrierReadIntervalMs = 50;
// After a write that took nothing (a held line), the writer tries again after
// this long, or at once when something changes.
constexpr auto heldLineRetry = std::chrono::milliseconds(50);

constexpr DWORD purgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

// The name of the claim on a port: the device name, upper-cased, in the
// global namespace ("\\.\com5" and "\\.\COM5" are one port).
std::wstring claimName(const std::string& path)
{
    std::string device = path.substr(path.find_last_of('\\') + 1);
    for (char& c : device) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return L"Global\\EmuVOLA port " + wideFromUtf8(device);
}

} // namespace

Win32SerialDevice::Win32SerialDevice(std::string path)
    : m_path(std::move(path))
{
}

Win32SerialDevice::~Win32SerialDevice()
{
    close();
}

bool Win32SerialDevice::open(const LineSettings& settings)
{
    close();
    if (settings.baudRate == 0 || settings.dataBits < 5 || settings.dataBits > 8) {
        return false;
    }
    // A claim every opener of ours takes first, as the advisory lock on
    // Linux: Windows refuses a second CreateFile on a COM port, but Wine's
    // ports on a pseudo-terminal open as often as asked.
    m_claim = CreateMutexW(nullptr, FALSE, claimName(m_path).c_str());
    if (m_claim == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
        releaseClaim();
        return false;
    }
    // No sharing: a port another program holds fails here (busy), as does a
    // port that does not exist (missing).
    m_handle = CreateFileW(wideFromUtf8(m_path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) {
        releaseClaim();
        return false;
    }
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS timeouts = commTimeouts(settings.baudRate);
    // Queue sizes are a request a driver may ignore; only the state and the
    // time-outs must hold.
    SetupComm(m_handle, driverQueueBytes, driverQueueBytes);
    PurgeComm(m_handle, purgeAll);
    bool ready = SetCommTimeouts(m_handle, &timeouts) && GetCommState(m_handle, &dcb);
    if (ready) {
        applyLineSettings(dcb, settings);
        ready = SetCommState(m_handle, &dcb);
    }
    if (!ready) {
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        releaseClaim();
        return false;
    }
    m_gone.store(false);
    m_wakeRequested.store(false);
    m_receivedStart = m_receivedEnd = 0;
    m_failedReads = 0;
    m_hastyReads = 0;
    m_carrierReadAt = 0;
    readCarrier();
    {
        std::lock_guard<std::mutex> guard(m_outputMutex);
        m_output.clear();
        m_writing = false;
        m_stopWriter = false;
    }
    try {
        m_writer = std::thread(&Win32SerialDevice::writeLoop, this);
    } catch (const std::system_error&) {
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        releaseClaim();
        return false;
    }
    return true;
}

void Win32SerialDevice::close()
{
    if (m_handle == INVALID_HANDLE_VALUE) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_outputMutex);
        m_stopWriter = true;
        m_output.clear();
        ++m_purges;
    }
    m_outputChanged.notify_all();
    // Ends a write the line holds where the system lets another thread do so;
    // elsewhere the write ends at its time-out.
    PurgeComm(m_handle, PURGE_TXABORT | PURGE_TXCLEAR);
    if (m_writer.joinable()) {
        m_writer.join();
    }
    CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    releaseClaim();
    m_carrier.store(false);
    m_receivedStart = m_receivedEnd = 0;
}

void Win32SerialDevice::releaseClaim()
{
    if (m_claim != nullptr) {
        CloseHandle(m_claim);
        m_claim = nullptr;
    }
}

void Win32SerialDevice::purge()
{
    if (m_handle == INVALID_HANDLE_VALUE) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_outputMutex);
        m_output.clear();
        ++m_purges;
    }
    m_outputChanged.notify_all();
    PurgeComm(m_handle, purgeAll);
    // Called while no receive thread runs (before it starts, after it ended).
    m_receivedStart = m_receivedEnd = 0;
}

DeviceWait Win32SerialDevice::waitForInput()
{
    for (;;) {
        if (m_handle == INVALID_HANDLE_VALUE || m_gone.load()) {
            return DeviceWait::Gone;
        }
        if (m_wakeRequested.exchange(false)) {
            return DeviceWait::Woken;
        }
        if (m_receivedStart < m_receivedEnd) {
            return DeviceWait::Readable;
        }
        DWORD got = 0;
        const ULONGLONG started = GetTickCount64();
        const BOOL ok = ReadFile(m_handle, m_received, sizeof m_received, &got, nullptr);
        const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
        readCarrier();
        const bool hasty = ok && got == 0 && GetTickCount64() - started < hastyReadMs;
        m_hastyReads = hasty ? m_hastyReads + 1 : 0;
        const bool failedAgain = !ok && (deviceGoneAfter(error) || ++m_failedReads >= failedReadsForGone);
        if (failedAgain || m_hastyReads >= hastyReadsForGone) {
            m_gone.store(true);
            m_carrier.store(false);
            return DeviceWait::Gone;
        }
        if (ok) {
            m_failedReads = 0;
            m_receivedStart = 0;
            m_receivedEnd = got;
        }
        // Nothing within receiveWaitMs: look at the wake request again.
    }
}

void Win32SerialDevice::wake()
{
    m_wakeRequested.store(true);
}

std::size_t Win32SerialDevice::readAvailable(std::uint8_t* buffer, std::size_t capacity)
{
    if (m_handle == INVALID_HANDLE_VALUE || capacity == 0) {
        return 0;
    }
    if (m_receivedStart < m_receivedEnd) {
        const std::size_t count = std::min(capacity, m_receivedEnd - m_receivedStart);
        std::copy_n(m_received + m_receivedStart, count, buffer);
        m_receivedStart += count;
        return count;
    }
    if (m_gone.load()) {
        return 0;
    }
    // Only what the driver already holds, so this never waits out a read time-out.
    DWORD errors = 0;
    COMSTAT status {};
    if (!ClearCommError(m_handle, &errors, &status) || status.cbInQue == 0) {
        return 0;
    }
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(capacity, status.cbInQue));
    if (!ReadFile(m_handle, buffer, wanted, &got, nullptr)) {
        // The next wait reads again and judges the failure.
        return 0;
    }
    return got;
}

std::size_t Win32SerialDevice::write(const std::uint8_t* data, std::size_t length, int timeoutMs)
{
    if (m_handle == INVALID_HANDLE_VALUE || m_gone.load() || data == nullptr) {
        return 0;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    std::unique_lock<std::mutex> lock(m_outputMutex);
    std::size_t taken = 0;
    for (;;) {
        const std::size_t room = driverQueueBytes - std::min<std::size_t>(m_output.size(), driverQueueBytes);
        const std::size_t now = std::min(room, length - taken);
        if (now > 0) {
            m_output.insert(m_output.end(), data + taken, data + taken + now);
            taken += now;
            m_outputChanged.notify_all();
        }
        const bool done = taken == length && m_output.empty() && !m_writing;
        if (done || m_stopWriter || m_gone.load()
            || m_outputChanged.wait_until(lock, deadline) == std::cv_status::timeout) {
            return taken;
        }
    }
}

bool Win32SerialDevice::outputLeft()
{
    std::lock_guard<std::mutex> guard(m_outputMutex);
    return m_handle == INVALID_HANDLE_VALUE || m_gone.load() || (m_output.empty() && !m_writing);
}

bool Win32SerialDevice::carrierDetected()
{
    return m_handle != INVALID_HANDLE_VALUE && !m_gone.load() && m_carrier.load();
}

void Win32SerialDevice::writeLoop()
{
    std::vector<std::uint8_t> chunk;
    std::unique_lock<std::mutex> lock(m_outputMutex);
    for (;;) {
        m_outputChanged.wait(lock, [this] { return m_stopWriter || !m_output.empty(); });
        if (m_stopWriter) {
            return;
        }
        const std::size_t count = std::min(m_output.size(), writeChunkBytes);
        chunk.assign(m_output.begin(), m_output.begin() + static_cast<std::ptrdiff_t>(count));
        const std::uint64_t purges = m_purges;
        m_writing = true;
        lock.unlock();
        DWORD written = 0;
        const BOOL ok = WriteFile(m_handle, chunk.data(), static_cast<DWORD>(count), &written, nullptr);
        const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
        const bool vanished = !ok && deviceGoneAfter(error);
        lock.lock();
        m_writing = false;
        if (purges == m_purges) {
            m_output.erase(m_output.begin(), m_output.begin() + std::min<std::ptrdiff_t>(written, m_output.size()));
        }
        if (vanished) {
            m_gone.store(true);
            m_carrier.store(false);
            m_output.clear();
        }
        m_outputChanged.notify_all();
        if (written == 0 && !m_output.empty()) {
            // The line holds (XOFF) or the write failed: no spinning on it.
            m_outputChanged.wait_for(lock, heldLineRetry, [&] { return m_stopWriter || purges != m_purges; });
        }
    }
}

void Win32SerialDevice::readCarrier()
{
    const ULONGLONG now = GetTickCount64();
    if (m_carrierReadAt != 0 && now - m_carrierReadAt < carrierReadIntervalMs) {
        return;
    }
    m_carrierReadAt = now;
    DWORD status = 0;
    // Wine's COM ports on a pseudo-terminal cannot tell: no carrier.
    m_carrier.store(GetCommModemStatus(m_handle, &status) && (status & MS_RLSD_ON) != 0);
}

bool Win32SerialDevice::deviceGoneAfter(DWORD error)
{
    switch (error) {
    case ERROR_DEVICE_REMOVED:
    case ERROR_BAD_COMMAND:
    case ERROR_ACCESS_DENIED:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
        return true;
    default:
        break;
    }
    // A line error (framing, parity, overrun) is cleared so the next transfer
    // can go on; a device that no longer answers even that has gone.
    DWORD errors = 0;
    COMSTAT status {};
    return !ClearCommError(m_handle, &errors, &status);
}
