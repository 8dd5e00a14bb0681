// tamberlo-ppdev started by a test: see HelperProcess.h.
#include "tests/bridge/native/HelperProcess.h"

#include "bridge/BlockPath.h"
#include "bridge/SharedBlock.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace {

constexpr auto kStartWait = std::chrono::seconds(10);
constexpr auto kEndWait = std::chrono::seconds(10);
constexpr auto kPoll = std::chrono::milliseconds(5);

std::string NameOf(const std::string& setting) {
    return setting.substr(0, setting.find('=') + 1);
}

// Sets NAME=VALUE in `settings`, in place of an earlier value; "NAME=" removes it.
void Set(std::vector<std::string>& settings, const std::string& setting) {
    const std::string name = NameOf(setting);
    for (auto it = settings.begin(); it != settings.end();)
        it = it->rfind(name, 0) == 0 ? settings.erase(it) : it + 1;
    if (setting.size() > name.size())
        settings.push_back(setting);
}

std::vector<std::string> RunEnvironment(const std::string& workDir,
                                        const std::vector<std::string>& extra) {
    std::vector<std::string> settings;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string text = *variable;
        if (text.rfind("TAMBERLO_", 0) != 0 && text.rfind("LD_PRELOAD=", 0) != 0)
            settings.push_back(text);
    }
    Set(settings, std::string("LD_PRELOAD=") + TAMBERLO_FAKE_PPDEV);
    Set(settings, std::string(bridge::kBlockPathVariable) + "=" + BlockPath(workDir));
    Set(settings, "TAMBERLO_SIM_CHIP_FILE=" + ChipPath(workDir));
    Set(settings, "TAMBERLO_FAKE_PPDEV_LOG=" + DeviceLogPath(workDir));
    for (const std::string& setting : extra)
        Set(settings, setting);
    return settings;
}

const char* Value(const std::vector<std::string>& settings, const std::string& name) {
    for (const std::string& setting : settings)
        if (setting.rfind(name + "=", 0) == 0)
            return setting.c_str() + name.size() + 1;
    return nullptr;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    return pointers;
}

// The word at `offset` of the block file, 0 when it is not there (yet).
std::uint32_t BlockWord(const std::string& path, std::size_t offset) {
    std::uint32_t word = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        if (::pread(fd, &word, sizeof word, static_cast<off_t>(offset)) != sizeof word)
            word = 0;
        ::close(fd);
    }
    return word;
}

} // namespace

std::string BlockPath(const std::string& workDir) {
    return workDir + "/port";
}
std::string ChipPath(const std::string& workDir) {
    return workDir + "/chip.bin";
}
std::string DeviceLogPath(const std::string& workDir) {
    return workDir + "/device.log";
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

HelperProcess::HelperProcess(const std::string& workDir, std::vector<std::string> arguments,
                             std::vector<std::string> environment)
    : m_stderrPath(workDir + "/helper.stderr"), m_stdoutPath(workDir + "/helper.stdout") {
    arguments.insert(arguments.begin(), TAMBERLO_PPDEV_HELPER);
    std::vector<std::string> settings = RunEnvironment(workDir, environment);
    bridge::ChooseBlockPath(Value(settings, bridge::kBlockPathVariable),
                            Value(settings, bridge::kRuntimeDirVariable), &m_blockPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, m_stdoutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, m_stderrPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(settings);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
}

HelperProcess::~HelperProcess() {
    if (m_pid > 0 && !m_ended) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

bool HelperProcess::WaitUntilServing() {
    const std::string& block = m_blockPath;
    const auto deadline = std::chrono::steady_clock::now() + kStartWait;
    while (m_pid > 0 && std::chrono::steady_clock::now() < deadline) {
        if (BlockWord(block, offsetof(bridge::SharedBlock, helperPid)) ==
                static_cast<std::uint32_t>(m_pid) &&
            BlockWord(block, offsetof(bridge::SharedBlock, attached)) == 1)
            return true;
        if (!m_ended && ::waitpid(m_pid, &m_status, WNOHANG) == m_pid)
            m_ended = true; // ended before it served
        if (m_ended)
            return false;
        std::this_thread::sleep_for(kPoll);
    }
    return false;
}

void HelperProcess::Signal(int signal) {
    if (m_pid > 0 && !m_ended)
        ::kill(m_pid, signal);
}

HelperRun HelperProcess::Wait() {
    HelperRun run;
    int status = m_status;
    const auto deadline = std::chrono::steady_clock::now() + kEndWait;
    while (m_pid > 0 && !m_ended && ::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(kPoll);
    }
    if (m_pid > 0) {
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    m_pid = -1;
    m_ended = true;
    run.stderrText = ReadFile(m_stderrPath);
    run.stdoutText = ReadFile(m_stdoutPath);
    return run;
}

HelperRun RunHelper(const std::string& workDir, std::vector<std::string> arguments,
                    std::vector<std::string> environment) {
    HelperProcess helper(workDir, std::move(arguments), std::move(environment));
    return helper.Wait();
}
