// The platform's view of the local interfaces and the limited broadcast over real sockets, in
// a network namespace that this test process makes for itself (see main below) and that goes
// when it ends: links up and down, with one address, two or none, a link that cannot
// broadcast, and loopback. What leaves by each link is read from packet sockets.
#include "e2e/link_capture.h"
#include "platform/posix_datagram_socket.h"
#include "platform/system_local_addresses.h"
#include "support/fixed_local_addresses.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <net/if.h>
#include <ostream>
#include <sched.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fenwick {

void PrintTo(const InterfaceAddress& entry, std::ostream* out) {
    *out << "{" << entry.name << " #" << entry.index << " " << std::hex << entry.address << "/"
         << entry.mask << std::dec << (entry.up ? " up" : " down")
         << (entry.loopback ? " loopback" : "") << (entry.broadcast ? " broadcast" : "") << "}";
}

namespace testing {
namespace {

constexpr std::uint16_t kPort = 40002;
const std::vector<std::uint8_t> kRequest(40, 0x5A);

enum class Kind {
    Veth, // Ethernet-like: broadcast-capable; its peer, up and without an address, takes it
    Tun,  // point-to-point: cannot broadcast
};

struct Address {
    std::uint32_t ip;
    int prefix;
};

struct Link {
    const char* name;
    Kind kind;
    bool up;
    std::vector<Address> addresses;
    bool carriesBroadcast;
};

// The namespace's links besides loopback (127.0.0.1/8, up), in the order they are made.
const std::vector<Link>& Links() {
    static const std::vector<Link> links = {
        {"fwa", Kind::Veth, true, {{0x0A510001, 24}}, true},                   // 10.81.0.1
        {"fwb", Kind::Veth, true, {{0x0A520001, 24}, {0x0A520101, 24}}, true}, // once, not twice
        {"fwc", Kind::Veth, false, {{0x0A530001, 24}}, false},                 // down
        {"fwd", Kind::Veth, true, {}, false},                                  // no IPv4 address
        {"fwe", Kind::Tun, true, {{0x0A540001, 24}}, false},                   // no broadcast
    };
    return links;
}

// A neighbour on fwa with a fixed hardware address, so that a unicast to it leaves at once.
constexpr std::uint32_t kNeighbour = 0x0A51004D; // 10.81.0.77

std::string Dotted(std::uint32_t ip) {
    in_addr address{htonl(ip)};
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

std::uint32_t Mask(int prefix) {
    return prefix == 0 ? 0 : 0xFFFFFFFFu << (32 - prefix);
}

// Runs `ip` with these arguments, without a shell; true when it succeeded.
bool Ip(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "ip");
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, "ip", nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool MakeLink(const Link& link) {
    const std::string name = link.name;
    const bool made = link.kind == Kind::Tun
                          ? Ip({"tuntap", "add", name, "mode", "tun"})
                          : Ip({"link", "add", name, "type", "veth", "peer", "name", name + "p"}) &&
                                Ip({"link", "set", name + "p", "up"});
    if (!made) {
        return false;
    }
    for (const Address& address : link.addresses) {
        if (!Ip({"addr", "add", Dotted(address.ip) + "/" + std::to_string(address.prefix), "dev",
                 name})) {
            return false;
        }
    }
    return !link.up || Ip({"link", "set", name, "up"});
}

class BroadcastLinks : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        made_ = Ip({"link", "set", "lo", "up"});
        for (const Link& link : Links()) {
            made_ = made_ && MakeLink(link);
        }
        made_ = made_ && Ip({"neigh", "add", Dotted(kNeighbour), "lladdr", "02:00:00:00:00:4d",
                             "dev", "fwa", "nud", "permanent"});
    }

    void SetUp() override {
        ASSERT_TRUE(made_) << "could not make the links (see ip's messages above)";
        captures_.emplace("lo", LinkCapture("lo"));
        for (const Link& link : Links()) {
            captures_.emplace(link.name, LinkCapture(link.name));
        }
        for (const auto& [name, capture] : captures_) {
            ASSERT_TRUE(capture.IsOpen()) << name << ": " << std::strerror(errno);
        }
    }

    // A socket of the real factory; `addresses` must outlive it.
    static std::unique_ptr<DatagramSocket> Socket(const LocalAddresses& addresses) {
        std::unique_ptr<DatagramSocket> socket = PosixDatagramSocketFactory(addresses).Create();
        EXPECT_NE(socket, nullptr);
        return socket;
    }

    // The datagrams to kPort that each link carried since the last look; every one of them
    // must be the request as sent, to `destination`.
    std::map<std::string, std::vector<LeavingDatagram>> Left(std::uint32_t destination) {
        std::map<std::string, std::vector<LeavingDatagram>> left;
        for (auto& [name, capture] : captures_) {
            left[name] = capture.Take(kPort);
            for (const LeavingDatagram& datagram : left[name]) {
                EXPECT_EQ(datagram.payload, kRequest) << name;
                EXPECT_EQ(datagram.destination, destination) << name;
            }
        }
        return left;
    }

    std::map<std::string, int> Carried(std::uint32_t destination) {
        std::map<std::string, int> counts;
        for (const auto& [name, datagrams] : Left(destination)) {
            counts[name] = static_cast<int>(datagrams.size());
        }
        return counts;
    }

    static std::uint32_t FirstAddress(const std::string& name) {
        for (const Link& link : Links()) {
            if (name == link.name && !link.addresses.empty()) {
                return link.addresses.front().ip;
            }
        }
        return 0;
    }

    // Expected counts: one on each link named, none on the others.
    static std::map<std::string, int> OneOn(const std::vector<std::string>& names) {
        std::map<std::string, int> counts{{"lo", 0}};
        for (const Link& link : Links()) {
            counts[link.name] = 0;
        }
        for (const std::string& name : names) {
            counts[name] = 1;
        }
        return counts;
    }

    SystemLocalAddresses system_;

private:
    static inline bool made_ = false;
    std::map<std::string, LinkCapture> captures_;
};

TEST_F(BroadcastLinks, TheSystemListsEveryIPv4AddressInInterfaceOrder) {
    std::vector<InterfaceAddress> expected = {
        {"lo", if_nametoindex("lo"), 0x7F000001, Mask(8), true, true, false}};
    for (const Link& link : Links()) {
        for (const Address& address : link.addresses) {
            expected.push_back({link.name, if_nametoindex(link.name), address.ip,
                                Mask(address.prefix), link.up, false, link.kind == Kind::Veth});
        }
    }
    EXPECT_EQ(system_.List(), expected);
}

TEST_F(BroadcastLinks, ALimitedBroadcastLeavesOnceByEveryUsableLink) {
    const auto socket = Socket(system_);
    ASSERT_EQ(socket->SetBroadcast(true), 0);
    ASSERT_EQ(socket->SendTo(kRequest, kLimitedBroadcast, kPort), 0);
    std::vector<std::string> usable;
    for (const Link& link : Links()) {
        if (link.carriesBroadcast) {
            usable.push_back(link.name);
        }
    }
    std::map<std::string, int> carried;
    for (const auto& [name, datagrams] : Left(kLimitedBroadcast)) {
        carried[name] = static_cast<int>(datagrams.size());
        for (const LeavingDatagram& datagram : datagrams) {
            EXPECT_EQ(datagram.source, FirstAddress(name)) << name << " sends from its own address";
        }
    }
    EXPECT_EQ(carried, OneOn(usable));
}

TEST_F(BroadcastLinks, OtherDestinationsGoWhereTheRoutingTableSays) {
    struct Case {
        const char* what;
        std::uint32_t destination;
        const char* link;
    };
    const Case cases[] = {
        {"a neighbour", kNeighbour, "fwa"},
        {"the broadcast address of fwb's second subnet", 0x0A5201FF, "fwb"},
    };
    const auto socket = Socket(system_);
    ASSERT_EQ(socket->SetBroadcast(true), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(socket->SendTo(kRequest, c.destination, kPort), 0);
        EXPECT_EQ(Carried(c.destination), OneOn({c.link}));
    }
}

TEST_F(BroadcastLinks, ABroadcastFailsOnlyWhenNoLinkTookIt) {
    const unsigned fwa = if_nametoindex("fwa");
    const unsigned fwc = if_nametoindex("fwc");
    const unsigned lo = if_nametoindex("lo");
    unsigned gone = 1000; // an index no interface of the namespace has
    char name[IF_NAMESIZE] = {};
    while (if_indextoname(gone, name) != nullptr) {
        ++gone;
    }
    const InterfaceAddress fwaEntry{"fwa", fwa, 0x0A510001, Mask(24), true, false, true};
    const InterfaceAddress goneEntry{"gone", gone, 0x0A550001, Mask(24), true, false, true};
    struct Case {
        const char* what;
        std::vector<InterfaceAddress> interfaces;
        bool permitted; // broadcast permission switched on
        int error;      // what SendTo returns
        std::vector<std::string> carriers;
    };
    const Case cases[] = {
        {"no interface at all", {}, true, ENETUNREACH, {}},
        {"only loopback and a link that is down",
         {{"lo", lo, 0x7F000001, Mask(8), true, true, false},
          {"fwc", fwc, 0x0A530001, Mask(24), false, false, true}},
         true,
         ENETUNREACH,
         {}},
        {"a link gone since the list was read, beside one that is there",
         {goneEntry, fwaEntry},
         true,
         0,
         {"fwa"}},
        {"every listed link gone", {goneEntry}, true, ENODEV, {}},
        {"broadcast permission off", {fwaEntry}, false, EACCES, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FixedLocalAddresses addresses(c.interfaces);
        const auto socket = Socket(addresses);
        ASSERT_EQ(socket->SetBroadcast(c.permitted), 0);
        EXPECT_EQ(socket->SendTo(kRequest, kLimitedBroadcast, kPort), c.error)
            << std::strerror(c.error);
        EXPECT_EQ(Carried(kLimitedBroadcast), OneOn(c.carriers));
    }
}

TEST_F(BroadcastLinks, AClosedSocketSendsNothing) {
    const auto socket = Socket(system_);
    ASSERT_EQ(socket->SetBroadcast(true), 0);
    socket->Close();
    EXPECT_EQ(socket->SendTo(kRequest, kLimitedBroadcast, kPort), EBADF);
    EXPECT_EQ(Carried(kLimitedBroadcast), OneOn({}));
}

} // namespace
} // namespace testing
} // namespace fenwick

int main(int argc, char** argv) {
    // Real sockets only in a network namespace of our own, never in the machine's: without
    // one (no root), nothing runs.
    if (unshare(CLONE_NEWNET) != 0) {
        std::printf("skipped: cannot make a network namespace (%s); needs root\n",
                    std::strerror(errno));
        return 77;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
