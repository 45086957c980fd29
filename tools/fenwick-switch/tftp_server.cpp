#include "tftp_server.h"

#include "codec/text_forms.h"
#include "fnv1a.h"
#include "value_text.h"

#include <algorithm>
#include <cctype>

namespace fenwick::sim {
namespace {

std::string Endpoint(std::uint32_t ip, std::uint16_t port) {
    return AddressText(ip) + ":" + std::to_string(port);
}

bool IsOctetMode(std::string_view mode) {
    static constexpr std::string_view kOctet = "octet";
    // RFC 1350: the mode may be in any mix of upper and lower case.
    return std::equal(mode.begin(), mode.end(), kOctet.begin(), kOctet.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

TftpPort AnswerPort(const SwitchSettings& settings) {
    return settings.tftpPort == TftpAnswerPort::Other ? TftpPort::Transfer : TftpPort::Server;
}

} // namespace

TftpResult TftpServer::Handle(const TftpIncoming& in, const SwitchSettings& settings,
                              SteadyTime now) {
    TftpResult result;
    if (settings.silent || !settings.tftp) {
        return result;
    }
    ++counts_.received;
    if (loss_.Drop(settings.lossPercent)) {
        ++counts_.receivedDropped;
        return result;
    }
    if (settings.restarting) {
        Repeat(in, settings, result);
        return result;
    }
    switch (TftpOpcodeOf(in.bytes).value_or(0)) {
    case std::uint16_t(TftpOpcode::ReadRequest):
    case std::uint16_t(TftpOpcode::WriteRequest):
        // A request belongs on port 69; on a transfer port it is a stray.
        if (in.arrivedOn == TftpPort::Server) {
            Request(in, settings, now, result);
        }
        break;
    case std::uint16_t(TftpOpcode::Data):
        Data(in, settings, now, result);
        break;
    case std::uint16_t(TftpOpcode::Error):
        ClientError(in, result);
        break;
    default:
        // Acknowledgements and unknown opcodes mean nothing to a server that only receives.
        break;
    }
    return result;
}

void TftpServer::Request(const TftpIncoming& in, const SwitchSettings& settings, SteadyTime now,
                         TftpResult& result) {
    const std::string client = Endpoint(in.source, in.sourcePort);
    const auto request = DecodeTftpRequest(in.bytes);
    if (!request) {
        Refuse(in, TftpPort::Server, kTftpErrorIllegalOperation, "Malformed request", settings,
               result);
        return;
    }
    if (request->opcode == TftpOpcode::ReadRequest) {
        Refuse(in, TftpPort::Server, kTftpErrorIllegalOperation, "Only write requests are served",
               settings, result);
        return;
    }
    // The client did not hear the acknowledgement of its request and asks again.
    if (transfer_ && transfer_->client == in.source && transfer_->clientPort == in.sourcePort &&
        transfer_->lastAcked == 0 && transfer_->fileName == request->fileName) {
        ++counts_.duplicates;
        Send(transfer_->answerFrom, in.source, in.sourcePort, EncodeTftpAck(0), settings, result);
        return;
    }
    if (!IsOctetMode(request->mode)) {
        Refuse(in, AnswerPort(settings), kTftpErrorIllegalOperation, "Only octet mode is served",
               settings, result);
        return;
    }
    const std::string name = Printable(request->fileName);
    if (settings.tftpError) {
        result.notes.push_back("write request for \"" + name + "\" from " + client +
                               " answered with error " + std::to_string(settings.tftpError->code));
        Send(AnswerPort(settings), in.source, in.sourcePort,
             EncodeTftpError(settings.tftpError->code, settings.tftpError->text), settings, result);
        return;
    }
    if (transfer_) {
        result.notes.push_back(
            "the transfer from " + Endpoint(transfer_->client, transfer_->clientPort) +
            " is abandoned after " + std::to_string(transfer_->bytes.size()) + " bytes");
    }
    // The counts start with this request, which was received and kept.
    counts_ = TftpCounts{1, 0, 0, 0, 0};
    transfer_ = Transfer{
        in.source, in.sourcePort, AnswerPort(settings), request->fileName, triggerSeen_, now, 0,
        {}};
    triggerSeen_ = false;
    dally_.reset();
    result.notes.push_back(
        "write request for \"" + name + "\" from " + client +
        (transfer_->afterTrigger ? " after an upgrade trigger" : " without an upgrade trigger"));
    Send(transfer_->answerFrom, in.source, in.sourcePort, EncodeTftpAck(0), settings, result);
}

void TftpServer::Data(const TftpIncoming& in, const SwitchSettings& settings, SteadyTime now,
                      TftpResult& result) {
    const auto data = DecodeTftpData(in.bytes);
    if (!transfer_ || !data) {
        return;
    }
    Transfer& t = *transfer_;
    if (in.source != t.client || in.sourcePort != t.clientPort) {
        // RFC 1350: tell the stranger, leave the transfer alone.
        Refuse(in, in.arrivedOn, kTftpErrorUnknownTransfer, "Unknown transfer ID", settings,
               result);
        return;
    }
    if (data->payload.size() > kTftpBlockSize) {
        result.notes.push_back("the transfer from " + Endpoint(t.client, t.clientPort) +
                               " ends: a block of " + std::to_string(data->payload.size()) +
                               " bytes");
        Refuse(in, t.answerFrom, kTftpErrorIllegalOperation, "Block longer than 512 bytes",
               settings, result);
        transfer_.reset();
        return;
    }
    if (data->block == t.lastAcked) {
        ++counts_.duplicates;
        Send(t.answerFrom, t.client, t.clientPort, EncodeTftpAck(t.lastAcked), settings, result);
        return;
    }
    // Lock-step: anything but the next block or a repeat of the last is not ours to answer.
    // Block numbers wrap after 65535, as RFC 1350 clients that go on past it do.
    if (data->block != static_cast<std::uint16_t>(t.lastAcked + 1)) {
        return;
    }
    if (t.bytes.size() + data->payload.size() > kMaxImageBytes) {
        result.notes.push_back("the transfer from " + Endpoint(t.client, t.clientPort) +
                               " ends: the image passes " + std::to_string(kMaxImageBytes) +
                               " bytes");
        Refuse(in, t.answerFrom, kTftpErrorDiskFull, "Image too large", settings, result);
        transfer_.reset();
        return;
    }
    t.bytes.insert(t.bytes.end(), data->payload.begin(), data->payload.end());
    t.lastAcked = data->block;
    Send(t.answerFrom, t.client, t.clientPort, EncodeTftpAck(t.lastAcked), settings, result);
    if (data->payload.size() < kTftpBlockSize) {
        Complete(settings, now, result);
    }
}

void TftpServer::Complete(const SwitchSettings& settings, SteadyTime now, TftpResult& result) {
    Transfer& t = *transfer_;
    const auto elapsed = now - t.started;
    result.notes.push_back(
        "received \"" + Printable(t.fileName) + "\" from " + Endpoint(t.client, t.clientPort) +
        ": " + std::to_string(t.bytes.size()) + " bytes, fnv1a-64 " + Fnv1a64Text(t.bytes) +
        ", in " +
        std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()) +
        " ms; lost on purpose " + std::to_string(counts_.receivedDropped) + " received and " +
        std::to_string(counts_.sentDropped) + " sent; restarting for " +
        std::to_string(settings.restartSeconds) + " s");
    dally_ = Dally{t.client, t.clientPort, t.answerFrom, t.lastAcked};
    image_ = ReceivedImage{std::move(t.bytes), std::move(t.fileName), t.client,
                           t.clientPort,       t.afterTrigger,        elapsed};
    transfer_.reset();
    result.completed = true;
}

void TftpServer::ClientError(const TftpIncoming& in, TftpResult& result) {
    if (!transfer_ || in.source != transfer_->client || in.sourcePort != transfer_->clientPort) {
        return;
    }
    const auto error = DecodeTftpError(in.bytes);
    result.notes.push_back("the client " + Endpoint(in.source, in.sourcePort) +
                           " ends its transfer: error " + std::to_string(error ? error->code : 0) +
                           " \"" + Printable(error ? error->text : std::string()) + "\"");
    transfer_.reset();
}

void TftpServer::Repeat(const TftpIncoming& in, const SwitchSettings& settings,
                        TftpResult& result) {
    const auto data = DecodeTftpData(in.bytes);
    if (dally_ && data && data->block == dally_->block && in.source == dally_->client &&
        in.sourcePort == dally_->clientPort) {
        ++counts_.duplicates;
        Send(dally_->answerFrom, in.source, in.sourcePort, EncodeTftpAck(dally_->block), settings,
             result);
    }
}

void TftpServer::Refuse(const TftpIncoming& in, TftpPort from, std::uint16_t code,
                        const std::string& text, const SwitchSettings& settings,
                        TftpResult& result) {
    result.notes.push_back("error " + std::to_string(code) + " \"" + text + "\" to " +
                           Endpoint(in.source, in.sourcePort));
    Send(from, in.source, in.sourcePort, EncodeTftpError(code, text), settings, result);
}

void TftpServer::Send(TftpPort from, std::uint32_t destination, std::uint16_t port,
                      std::vector<std::uint8_t> bytes, const SwitchSettings& settings,
                      TftpResult& result) {
    ++counts_.sent;
    if (loss_.Drop(settings.lossPercent)) {
        ++counts_.sentDropped;
        return;
    }
    result.packets.push_back({from, destination, port, std::move(bytes)});
}

std::string TftpServer::StateText() const {
    if (transfer_) {
        return "receiving " + std::to_string(transfer_->bytes.size()) + " bytes from " +
               Endpoint(transfer_->client, transfer_->clientPort);
    }
    return dally_ ? "restarting" : "idle";
}

} // namespace fenwick::sim
