// Starting the program under test: its environment, its working folder, and a process handle
// that ends the program with the test if it is still running then.
#pragma once

#include "framework/Handle.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace uidriver {

// An environment block to start a program with; names compare without case, as Windows does.
class Environment {
public:
    static Environment Current();

    Environment& Set(const std::wstring& name, const std::wstring& value);
    Environment& Remove(const std::wstring& name);
    std::optional<std::wstring> Get(const std::wstring& name) const;
    // "NAME=value\0...\0\0", sorted as CreateProcessW expects.
    std::wstring Block() const;

private:
    std::vector<std::pair<std::wstring, std::wstring>> m_variables;
};

class Process {
public:
    Process() = default;
    ~Process() { Terminate(); }
    Process(Process&&) = default;
    Process& operator=(Process&& other) noexcept;

    // Throws std::runtime_error if the program cannot be started. Without an environment or a
    // folder the program gets this process's own; given an input and an output, they are its
    // standard handles (errors go to the output).
    static Process Launch(const std::wstring& program, const std::wstring& arguments = {},
                          const Environment* environment = nullptr, const std::wstring& folder = {},
                          HANDLE input = nullptr, HANDLE output = nullptr);

    DWORD Id() const { return m_id; }
    bool Running() const;
    // The exit code once the program has ended, or none if it is still running after timeoutMs.
    std::optional<DWORD> WaitExit(DWORD timeoutMs);
    void Terminate();

private:
    CHandle m_process;
    DWORD m_id = 0;
};

// A Windows path for a path the build wrote down: a Unix path (a cross build run under Wine)
// becomes its DOS name; anything else is kept.
std::wstring HostPath(const std::string& path);

}  // namespace uidriver
