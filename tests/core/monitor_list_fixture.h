// A ManagerCore with helpers for the monitor list: devices discovered and added, selections,
// the list's columns, the table's order, and monitor list files.
#pragma once

#include "codec/text_forms.h"
#include "core/support/latin1.h"
#include "core_fixture.h"

#include <QDir>
#include <QFile>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace fenwick::testing {

// Monitor List columns the tests read.
inline constexpr int kStatusColumn = 0;
inline constexpr int kIpColumn = 1;
inline constexpr int kMacColumn = 2;
inline constexpr int kSystemNameColumn = 5;
inline constexpr int kLocationColumn = 6;

// The record that agent `agent` leaves in a table once it has answered.
inline DeviceRecord StoredRecordOf(const AgentReply& agent) {
    DeviceRecord record = ZeroRecord();
    record.AgentKey = kTestKey;
    SetFieldText(record.MacText, MacText(agent.mac));
    SetFieldText(record.ProductName, agent.product);
    SetFieldText(record.SystemName, agent.systemName);
    SetFieldText(record.Location, agent.location);
    SetFieldText(record.IpText, AddressText(agent.ip));
    SetFieldText(record.TrapIpText, AddressText(agent.trapIp));
    SetFieldText(record.SubnetMaskText, AddressText(agent.mask));
    SetFieldText(record.GatewayText, AddressText(agent.gateway));
    record.IpAddress = agent.ip;
    record.TrapIp = agent.trapIp;
    record.SubnetMask = agent.mask;
    record.Gateway = agent.gateway;
    record.ListState = kListStateHasRow;
    record.StatusImage = -1;
    record.Answered = 1;
    record.LastCommand = agent.code;
    record.ProtocolVersion = agent.version;
    record.InterfaceVersion = 1;
    record.Direction = 1;
    return record;
}

// Records one after another, byte for byte, as a monitor list file holds them.
inline Bytes BytesOf(std::span<const DeviceRecord> records) {
    Bytes bytes(records.size() * sizeof(DeviceRecord));
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::memcpy(&bytes[i * sizeof(DeviceRecord)], &records[i], sizeof(DeviceRecord));
    }
    return bytes;
}

// Record `index` of a monitor list file.
inline DeviceRecord RecordAt(const Bytes& file, std::size_t index) {
    DeviceRecord record = ZeroRecord();
    if (file.size() < (index + 1) * sizeof record) {
        ADD_FAILURE() << "no record " << index << " in " << file.size() << " bytes";
        return record;
    }
    std::memcpy(&record, &file[index * sizeof record], sizeof record);
    return record;
}

inline bool SameBytes(const DeviceRecord& a, const DeviceRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class MonitorListFixture : public CoreFixture {
protected:
    // A new run of the program on the same cfg folder.
    ManagerCore& Restart() {
        core.reset();
        state = std::make_unique<ProgramState>();
        prompts.boxes.clear();
        return Start();
    }

    QString MonitorPath() const { return Folder() + QStringLiteral("/monitor.cfg"); }

    static void WriteFile(const QString& path, const Bytes& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        ASSERT_EQ(file.write(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qint64>(bytes.size())),
                  static_cast<qint64>(bytes.size()));
    }

    static Bytes ReadFile(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot read " << path.toStdString();
            return {};
        }
        const QByteArray bytes = file.readAll();
        return Bytes(bytes.begin(), bytes.end());
    }

    // The occupied MonitorTable entries, byte for byte, in table order.
    Bytes TableBytes() const {
        return BytesOf(std::span<const DeviceRecord>(
            state->MonitorTable.data(), static_cast<std::size_t>(core->MonitorList().RowCount())));
    }

    // The IP texts of the MonitorTable entries in table order; the slots after them must be
    // all zero.
    QStringList TableIps() const {
        QStringList ips;
        const int count = core->MonitorList().RowCount();
        for (int slot = 0; slot < static_cast<int>(kDeviceTableSlots); ++slot) {
            const DeviceRecord& entry = state->MonitorTable[static_cast<std::size_t>(slot)];
            if (slot < count) {
                ips << Latin1(FieldText(entry.IpText));
            } else if (std::memcmp(&entry, &kZero, sizeof entry) != 0) {
                ADD_FAILURE() << "MonitorTable slot " << slot << " is not zero";
            }
        }
        return ips;
    }

    // The MAC texts of the DiscoveryTable's occupied slots; the rest must be zero.
    QStringList DiscoveryMacs() const {
        QStringList macs;
        const int count = core->DiscoveryList().RowCount();
        for (int slot = 0; slot < static_cast<int>(kDeviceTableSlots); ++slot) {
            const DeviceRecord& entry = state->DiscoveryTable[static_cast<std::size_t>(slot)];
            if (slot < count) {
                macs << Latin1(FieldText(entry.MacText));
            } else if (std::memcmp(&entry, &kZero, sizeof entry) != 0) {
                ADD_FAILURE() << "DiscoveryTable slot " << slot << " is not zero";
            }
        }
        return macs;
    }

    static QStringList Column(const ListViewModel& list, int column) {
        QStringList texts;
        for (int row = 0; row < list.RowCount(); ++row) {
            texts << list.Text(row, column);
        }
        return texts;
    }

    static std::vector<int> Keys(const ListViewModel& list) {
        std::vector<int> keys;
        for (int row = 0; row < list.RowCount(); ++row) {
            keys.push_back(list.ItemData(row));
        }
        return keys;
    }

    static std::vector<int> Images(const ListViewModel& list) {
        std::vector<int> images;
        for (int row = 0; row < list.RowCount(); ++row) {
            images.push_back(list.Image(row));
        }
        return images;
    }

    static void Select(ListSelection& selection, const std::vector<int>& rows) {
        selection.DeselectAll();
        for (int row : rows) {
            selection.SelectRow(row);
        }
    }

    void Discover(std::initializer_list<AgentReply> agents) {
        for (const AgentReply& agent : agents) {
            Receive(agent);
        }
    }

    // Discovers the agents and adds them all to the monitor list, in their order.
    void Monitor(std::initializer_list<AgentReply> agents) {
        Discover(agents);
        core->DiscoverySelection().DeselectAll();
        for (int row = 0; row < core->DiscoveryList().RowCount(); ++row) {
            core->DiscoverySelection().SelectRow(row);
        }
        core->AddToMonitorList();
    }

    static QString IpOf(int n) { return Latin1(AddressText(AgentReply::Numbered(n).ip)); }
    static QString MacOf(int n) { return Latin1(MacText(AgentReply::Numbered(n).mac)); }

    static inline const DeviceRecord kZero = ZeroRecord();
};

} // namespace fenwick::testing
