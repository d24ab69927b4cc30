#include "testing/fake_speech_service.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

namespace {

bool sendAll(int socket, const std::string& text) {
    for (size_t sent = 0; sent < text.size();) {
        const ssize_t n = send(socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += size_t(n);
    }
    return true;
}

// The reply to one command line, as speech-dispatcher gives it; commands are read without
// regard to case, as it reads them.
std::string replyTo(std::string command) {
    for (char& c : command) c = char(std::toupper(uint8_t(c)));
    const auto is = [&command](const char* start) { return command.starts_with(start); };
    if (is("SET SELF CLIENT_NAME")) return "208 OK CLIENT NAME SET\r\n";
    if (is("SET SELF PRIORITY")) return "202 OK PRIORITY SET\r\n";
    if (is("SET SELF LANGUAGE")) return "201 OK LANGUAGE SET\r\n";
    if (is("SET SELF RATE")) return "203 OK RATE SET\r\n";
    if (is("SET SELF PUNCTUATION")) return "205 OK PUNCTUATION SET\r\n";
    if (is("SET ")) return "200 OK SET\r\n";
    if (is("CANCEL")) return "210 OK CANCELED\r\n";
    if (is("STOP")) return "210 OK STOPPED\r\n";
    if (is("SPEAK")) return "230 OK RECEIVING DATA\r\n";
    if (is("QUIT")) return "231 HAPPY HACKING\r\n";
    if (is("HISTORY GET CLIENT_ID")) return "245-1\r\n245 OK CLIENT ID SENT\r\n";
    return "500 ERR INVALID COMMAND\r\n";
}

}  // namespace

FakeSpeechService::~FakeSpeechService() {
    stop();
}

bool FakeSpeechService::start(const std::string& socketPath) {
    path = socketPath;
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return false;
    unlink(path.c_str());
    listening = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (listening < 0 ||
        bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listening, 4) != 0)
        return false;
    thread = std::thread([this] {
        // One client at a time, which is what a program that speaks is.
        while (true) {
            pollfd waiting{listening, POLLIN, 0};
            if (poll(&waiting, 1, 100) <= 0) {
                const std::lock_guard<std::mutex> held(lock);
                if (stopping) return;
                continue;
            }
            const int client = accept(listening, nullptr, nullptr);
            if (client < 0) continue;
            std::string pending, message;
            bool inMessage = false, going = true;
            char chunk[4096];
            while (going) {
                pollfd reading{client, POLLIN, 0};
                const int ready = poll(&reading, 1, 100);
                {
                    const std::lock_guard<std::mutex> held(lock);
                    if (stopping) going = false;
                }
                if (ready <= 0) continue;
                const ssize_t n = recv(client, chunk, sizeof chunk, 0);
                if (n <= 0) break;
                pending.append(chunk, size_t(n));
                for (size_t end = pending.find("\r\n"); end != std::string::npos;
                     end = pending.find("\r\n")) {
                    std::string line = pending.substr(0, end);
                    pending.erase(0, end + 2);
                    std::string reply, record;
                    if (inMessage && line == ".") {
                        inMessage = false;
                        record = "SPEAK " + message;
                        reply = "225-" + std::to_string(requests.size() + 1) +
                                "\r\n225 OK MESSAGE QUEUED\r\n";
                    } else if (inMessage) {
                        if (line.starts_with("..")) line.erase(0, 1);  // a dot doubled
                        message += (message.empty() ? "" : "\n") + line;
                        continue;
                    } else {
                        record = line;
                        reply = replyTo(line);
                        inMessage = reply.starts_with("230");
                        message.clear();
                        going = going && !reply.starts_with("231");
                    }
                    {
                        const std::lock_guard<std::mutex> held(lock);
                        requests.push_back({record, std::chrono::steady_clock::now()});
                    }
                    heard.notify_all();
                    if (!sendAll(client, reply)) going = false;
                }
            }
            close(client);
        }
    });
    return true;
}

void FakeSpeechService::stop() {
    {
        const std::lock_guard<std::mutex> held(lock);
        stopping = true;
    }
    if (thread.joinable()) thread.join();
    if (listening >= 0) close(listening);
    listening = -1;
    if (!path.empty()) unlink(path.c_str());
}

std::vector<SpeechRequest> FakeSpeechService::received() {
    const std::lock_guard<std::mutex> held(lock);
    return requests;
}

size_t FakeSpeechService::count() {
    const std::lock_guard<std::mutex> held(lock);
    return requests.size();
}

SpeechRequest FakeSpeechService::last() {
    const std::lock_guard<std::mutex> held(lock);
    return requests.empty() ? SpeechRequest{} : requests.back();
}

bool FakeSpeechService::waitFor(size_t count, double seconds) {
    std::unique_lock<std::mutex> held(lock);
    return heard.wait_for(held, std::chrono::duration<double>(seconds),
                          [&] { return requests.size() >= count; });
}

std::vector<std::string> FakeSpeechService::utterances() {
    std::vector<std::string> said;
    for (const SpeechRequest& request : received()) {
        if (request.text.starts_with("SPEAK ")) said.push_back(request.text.substr(6));
        if (request.text == "CANCEL SELF" || request.text == "cancel self")
            said.push_back("cancel");
    }
    return said;
}
