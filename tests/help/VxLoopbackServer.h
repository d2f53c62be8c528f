#pragma once
// A one-thread HTTP server on 127.0.0.1 for tests of downloads: it answers every
// connection the way its mode says and remembers the request lines it read.
//
//   TVxLoopbackServer server(TVxLoopbackServer::smAnswer, "[Velloria]\nVersion=2.3\n");
//   download(server.Address("/update.ini"));
#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TVxLoopbackServer {
public:
    enum TMode {
        smAnswer,   // 200 with the body
        smMissing,  // 404
        smSilent,   // accepts, reads the request, never answers
        smGarbage,  // the body bytes without any HTTP status line
        smDrip,     // 200, then one byte of the body every 300 ms
    };

    TVxLoopbackServer(TMode mode, std::string body);
    ~TVxLoopbackServer();
    TVxLoopbackServer(const TVxLoopbackServer&) = delete;
    TVxLoopbackServer& operator=(const TVxLoopbackServer&) = delete;

    std::wstring Address(const std::wstring& path) const;
    std::vector<std::string> RequestLines() const;

private:
    void Serve();
    void Answer(SOCKET client);
    std::string ReadRequest(SOCKET client);
    void WaitUntilStopped();

    TMode FMode;
    std::string FBody;
    SOCKET FListener = INVALID_SOCKET;
    unsigned short FPort = 0;
    std::atomic<bool> FStopping{false};
    mutable std::mutex FLock;
    std::vector<std::string> FRequestLines;
    std::thread FThread;
};
