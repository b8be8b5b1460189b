// Read-reply handling: a read request (system or GM-addressed, any register
// number, any number of placeholder bytes) and the reply bytes the camera
// sends, in segments. The reply is assembled as the control connection does
// (first segment, then more while shorter than the expected length; the rest
// stays behind as stale bytes) and checked against its request.
//
// Input: register number byte, kind byte (bit 0 GM-addressed, bits 1-2
// placeholder bytes, bits 3-5 number of cuts), GM ID byte, one byte per cut,
// then the reply bytes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <QByteArray>
#include <QString>

#include "gammamodule/gmregister.h"
#include "transport/communicationmgr.h"

namespace {

[[noreturn]] void Fail(const char* a_What)
{
    std::fprintf(stderr, "read reply: %s\n", a_What);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* a_pData, size_t a_Size)
{
    if (a_Size < 3)
        return 0;
    // Register numbers beyond a byte too: only the low bits reach the wire,
    // but the echo is compared with the whole number.
    const int regNo = static_cast<signed char>(a_pData[0]) * ((a_pData[1] & 0x40) ? 3 : 1);
    const bool gmAddressed = a_pData[1] & 1;
    const int placeholders = (a_pData[1] >> 1) & 3;
    const size_t noOfCuts = (a_pData[1] >> 3) & 7;
    const int gmID = a_pData[2];
    if (a_Size < 3 + noOfCuts)
        return 0;
    const uint8_t* cuts = a_pData + 3;
    const auto* bytes = reinterpret_cast<const char*>(a_pData + 3 + noOfCuts);
    const int noOfBytes = static_cast<int>(a_Size - 3 - noOfCuts);

    std::unique_ptr<Register> request(gmAddressed ? new GMRegister(regNo, gmID, REGISTER_OP_READ)
                                                  : new Register(regNo, REGISTER_OP_READ));
    request->AddReadBytes(placeholders);
    const int expected = CommunicationMGR::ExpectedReplyLength(*request);
    if (expected < request->GetByteArray().size())
        Fail("expected reply shorter than the request");

    // Segments as the socket hands them over, each an exactly sized array.
    QByteArray reply;
    int at = 0;
    for (size_t k = 0; k <= noOfCuts && at < noOfBytes; ++k) {
        if (k > 0 && reply.size() >= expected)
            break;
        const int left = noOfBytes - at;
        const int length = k == noOfCuts ? left : 1 + cuts[k] % left;
        const std::unique_ptr<char[]> segment(new char[static_cast<size_t>(length)]);
        std::memcpy(segment.get(), bytes + at, static_cast<size_t>(length));
        reply.append(QByteArray::fromRawData(segment.get(), length));
        at += length;
    }
    if (reply.size() != at)
        Fail("assembled reply lost bytes");

    QString error = QStringLiteral("unchanged");
    const bool accepted = CommunicationMGR::CheckReply(*request, reply, &error);
    const int echo = reply.isEmpty() ? 0 : static_cast<signed char>(reply[0]);
    if (accepted != (echo == regNo))
        Fail("accepted a reply that does not echo the register, or refused one that does");
    if (accepted && error != QLatin1String("unchanged"))
        Fail("an accepted reply changed the error text");
    if (!accepted && error != QStringLiteral("Invalid read command for register %1").arg(regNo))
        Fail("wrong error text");
    if (CommunicationMGR::CheckReply(*request, reply, nullptr) != accepted)
        Fail("result depends on the error pointer");
    return 0;
}
