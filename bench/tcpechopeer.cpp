#include "bench/tcpechopeer.h"

#include "bench/benchsupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

bool ReadAll(int a_Socket, char* a_pBuffer, size_t a_Bytes)
{
    size_t done = 0;
    while (done < a_Bytes) {
        const ssize_t n = ::read(a_Socket, a_pBuffer + done, a_Bytes - done);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

bool WriteAll(int a_Socket, const char* a_pBuffer, size_t a_Bytes)
{
    size_t done = 0;
    while (done < a_Bytes) {
        const ssize_t n = ::write(a_Socket, a_pBuffer + done, a_Bytes - done);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

TcpEchoPeer::TcpEchoPeer(const QString& a_Address)
    : m_Address(a_Address)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, a_Address.toLatin1().constData(), &address.sin_addr);
    m_Listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::bind(m_Listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(m_Listener, 1) != 0) {
        ::close(m_Listener);
        m_Listener = -1;
    }
}

TcpEchoPeer::~TcpEchoPeer()
{
    if (m_Listener >= 0)
        ::close(m_Listener);
}

bool TcpEchoPeer::Connect(int* a_pClient, int* a_pServer)
{
    if (m_Listener < 0)
        return false;
    sockaddr_in address {};
    socklen_t length = sizeof(address);
    ::getsockname(m_Listener, reinterpret_cast<sockaddr*>(&address), &length);
    *a_pClient = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(*a_pClient, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
        return false;
    *a_pServer = ::accept(m_Listener, nullptr, nullptr);
    const int one = 1;
    ::setsockopt(*a_pClient, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    ::setsockopt(*a_pServer, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    return *a_pServer >= 0;
}

double TcpEchoPeer::RoundTrip(int a_RequestBytes, int a_ReplyBytes, int a_Count)
{
    int client = -1;
    int server = -1;
    if (!Connect(&client, &server))
        return 0.0;
    std::thread peer([=] {
        std::vector<char> request(static_cast<size_t>(a_RequestBytes));
        std::vector<char> reply(static_cast<size_t>(a_ReplyBytes), 'r');
        for (int i = 0; i < a_Count; ++i) {
            if (!ReadAll(server, request.data(), request.size()) || !WriteAll(server, reply.data(), reply.size()))
                break;
        }
    });
    std::vector<char> request(static_cast<size_t>(a_RequestBytes), 'q');
    std::vector<char> reply(static_cast<size_t>(a_ReplyBytes));
    const double start = bench::Now();
    for (int i = 0; i < a_Count; ++i) {
        if (!WriteAll(client, request.data(), request.size()) || !ReadAll(client, reply.data(), reply.size()))
            break;
    }
    const double seconds = (bench::Now() - start) / a_Count;
    peer.join();
    ::close(client);
    ::close(server);
    return seconds;
}

double TcpEchoPeer::Stream(int a_RequestBytes, int a_Count)
{
    int client = -1;
    int server = -1;
    if (!Connect(&client, &server))
        return 0.0;
    double end = 0.0;
    std::thread peer([&] {
        std::vector<char> all(size_t(a_RequestBytes) * size_t(a_Count));
        ReadAll(server, all.data(), all.size());
        end = bench::Now();
    });
    std::vector<char> request(size_t(a_RequestBytes), 'q');
    const double start = bench::Now();
    for (int i = 0; i < a_Count; ++i)
        WriteAll(client, request.data(), request.size());
    peer.join();
    ::close(client);
    ::close(server);
    return end - start;
}
