#pragma once
// Test support: runs quillnet-server on a free 127.0.0.1 port in a private folder, with
// its log in a file there, and stops it with SIGTERM.

#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace qn::test {

class ServerProcess {
public:
    explicit ServerProcess(const std::string& configText = "",
                           const std::vector<std::string>& extraArgs = {},
                           const std::vector<std::string>& environment = {}) {
        std::string templ =
            (std::filesystem::temp_directory_path() / "qn-server-XXXXXX").string();
        if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp");
        dir_ = templ;
        const std::string config = dir_ + "/server.conf";
        std::ofstream(config) << configText;
        std::vector<std::string> args = {QN_SERVER_PATH, "--config", config, "--port", "0",
                                         "--port-file", dir_ + "/port"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        const std::string log = dir_ + "/server.log";
        pid_ = fork();
        if (pid_ == 0) {
            const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, 1);
            dup2(fd, 2);
            for (const auto& e : environment) putenv(const_cast<char*>(e.c_str()));
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            std::ifstream in(dir_ + "/port");
            if (in >> port_ && port_ > 0) return;
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                exitStatus_ = status;
                return;  // started() tells; the log says why
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    ~ServerProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        std::filesystem::remove_all(dir_);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool started() const { return pid_ > 0 && port_ > 0; }
    int port() const { return port_; }
    const std::string& dir() const { return dir_; }
    bool running() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

    // Sends SIGTERM and waits up to `limit`; returns the wait status, or -1 on time-out.
    int terminate(std::chrono::milliseconds limit, std::chrono::milliseconds* took = nullptr) {
        if (pid_ <= 0) return exitStatus_;
        const auto start = std::chrono::steady_clock::now();
        ::kill(pid_, SIGTERM);
        while (std::chrono::steady_clock::now() - start < limit) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                if (took) {
                    *took = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start);
                }
                return status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }

    std::string log() const {
        std::ifstream in(dir_ + "/server.log");
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string dir_;
    pid_t pid_ = -1;
    int port_ = 0;
    int exitStatus_ = -1;
};

}  // namespace qn::test
