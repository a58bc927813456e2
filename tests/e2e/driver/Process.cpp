#include "driver/Process.h"

#include "simhandheld/Folder.h"

#include <algorithm>
#include <stdexcept>

namespace uidriver {
namespace {


std::string Utf8(const std::wstring& text)
{
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr,
                              nullptr);
    return bytes;
}

}  // namespace

Environment Environment::Current()
{
    Environment environment;
    wchar_t* block = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = block; entry != nullptr && *entry != L'\0'; entry += wcslen(entry) + 1) {
        const std::wstring line(entry);
        // Entries such as "=C:=C:\\dir" name a drive's current folder: their name starts at 1.
        const size_t equals = line.find(L'=', 1);
        if (equals != std::wstring::npos)
            environment.m_variables.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    if (block != nullptr)
        ::FreeEnvironmentStringsW(block);
    return environment;
}

Environment& Environment::Set(const std::wstring& name, const std::wstring& value)
{
    Remove(name);
    m_variables.emplace_back(name, value);
    return *this;
}

Environment& Environment::Remove(const std::wstring& name)
{
    m_variables.erase(std::remove_if(m_variables.begin(), m_variables.end(),
                                     [&](const auto& variable) { return simhandheld::EqualsNoCase(variable.first, name); }),
                      m_variables.end());
    return *this;
}

std::optional<std::wstring> Environment::Get(const std::wstring& name) const
{
    for (const auto& variable : m_variables) {
        if (simhandheld::EqualsNoCase(variable.first, name))
            return variable.second;
    }
    return std::nullopt;
}

std::wstring Environment::Block() const
{
    auto sorted = m_variables;
    // Windows wants the block sorted by name, ignoring case.
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return simhandheld::UpperInvariant(a.first) < simhandheld::UpperInvariant(b.first);
    });
    std::wstring block;
    for (const auto& variable : sorted) {
        block += variable.first + L"=" + variable.second;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        Terminate();
        m_process = std::move(other.m_process);
        m_id = other.m_id;
    }
    return *this;
}

Process Process::Launch(const std::wstring& program, const std::wstring& arguments, const Environment* environment,
                        const std::wstring& folder, HANDLE input, HANDLE output)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::wstring block = environment != nullptr ? environment->Block() : std::wstring();

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    const bool redirected = input != nullptr && output != nullptr;
    if (redirected) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, redirected, CREATE_UNICODE_ENVIRONMENT,
                          environment != nullptr ? &block[0] : nullptr, folder.empty() ? nullptr : folder.c_str(),
                          &startup, &info)) {
        throw std::runtime_error("cannot start " + Utf8(program) + ", error " + std::to_string(::GetLastError()));
    }
    ::CloseHandle(info.hThread);
    Process process;
    process.m_process.Attach(info.hProcess);
    process.m_id = info.dwProcessId;
    return process;
}

bool Process::Running() const
{
    return m_process.IsValid() && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitExit(DWORD timeoutMs)
{
    if (!m_process.IsValid() || ::WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    if (!::GetExitCodeProcess(m_process.Get(), &code))
        return std::nullopt;
    return code;
}

void Process::Terminate()
{
    if (Running()) {
        ::TerminateProcess(m_process.Get(), 1);
        ::WaitForSingleObject(m_process.Get(), 10000);
    }
    m_process.Close();
}

std::wstring HostPath(const std::string& path)
{
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(n, 1)), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, &wide[0], n);
    wide.resize(wide.size() - 1);
    if (path.empty() || path[0] != '/')
        return wide;

    // Present only under Wine; a Windows build never writes a Unix path.
    using DosName = WCHAR*(CDECL*)(LPCSTR);
    const auto dosName = reinterpret_cast<DosName>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (dosName == nullptr)
        return wide;
    WCHAR* dos = dosName(path.c_str());
    if (dos == nullptr)
        return wide;
    std::wstring result(dos);
    ::HeapFree(::GetProcessHeap(), 0, dos);
    return result;
}

}  // namespace uidriver
