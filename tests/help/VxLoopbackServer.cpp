#include "help/VxLoopbackServer.h"

#include <ws2tcpip.h>

#include <chrono>
#include <stdexcept>

namespace {

void SendAll(SOCKET socket, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const int n = send(socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

}  // namespace

TVxLoopbackServer::TVxLoopbackServer(TMode mode, std::string body) : FMode(mode), FBody(std::move(body))
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        throw std::runtime_error("WSAStartup failed");
    FListener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // never reachable from outside
    address.sin_port = 0;
    int length = sizeof address;
    if (FListener == INVALID_SOCKET || bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(FListener, 8) != 0 || getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this] { Serve(); });
}

TVxLoopbackServer::~TVxLoopbackServer()
{
    FStopping = true;
    closesocket(FListener);  // ends the accept
    FThread.join();
    WSACleanup();
}

std::wstring TVxLoopbackServer::Address(const std::wstring& path) const
{
    return L"http://127.0.0.1:" + std::to_wstring(FPort) + path;
}

std::vector<std::string> TVxLoopbackServer::RequestLines() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FRequestLines;
}

void TVxLoopbackServer::Serve()
{
    while (!FStopping) {
        const SOCKET client = accept(FListener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        Answer(client);
        closesocket(client);
    }
}

std::string TVxLoopbackServer::ReadRequest(SOCKET client)
{
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    return request.substr(0, request.find("\r\n"));
}

void TVxLoopbackServer::WaitUntilStopped()
{
    while (!FStopping)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

void TVxLoopbackServer::Answer(SOCKET client)
{
    const std::string line = ReadRequest(client);
    {
        std::lock_guard<std::mutex> lock(FLock);
        FRequestLines.push_back(line);
    }
    const std::string length = "Content-Length: " + std::to_string(FBody.size()) + "\r\n";
    switch (FMode) {
    case smAnswer:
        SendAll(client, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n" + length + "Connection: close\r\n\r\n" + FBody);
        return;
    case smMissing:
        SendAll(client, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    case smSilent:
        WaitUntilStopped();
        return;
    case smGarbage:
        SendAll(client, FBody);
        return;
    case smDrip:
        SendAll(client, "HTTP/1.1 200 OK\r\n" + length + "Connection: close\r\n\r\n");
        for (char c : FBody) {
            if (FStopping)
                return;
            SendAll(client, std::string(1, c));
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        return;
    }
}
