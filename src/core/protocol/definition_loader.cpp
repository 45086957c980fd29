#include "definition_loader.h"

#include "core/protocol/protocol_texts.h"

#include <QFile>
#include <array>
#include <cstdint>

namespace fenwick {
QString DefinitionFilePath(const QString& configFolder) {
    return configFolder + QStringLiteral("/define.ecf");
}

DefinitionLocation FindDefinitionFile(const ConfigFolders& folders) {
    DefinitionLocation own{DefinitionFilePath(folders.folder), {folders.folder}};
    if (folders.siteFolder.isEmpty() || QFile::exists(own.path)) {
        return own;
    }
    own.foldersLookedIn << folders.siteFolder;
    const QString site = DefinitionFilePath(folders.siteFolder);
    if (QFile::exists(site)) {
        return {site, own.foldersLookedIn};
    }
    return own;
}

bool LoadDefinitionFile(const QString& path, UserPrompts& prompts, ProtocolValues& values) {
    const auto fail = [&](const QString& text) {
        prompts.MessageBox(text, texts::kCaptionFileError, UserPrompts::Icon::Error);
        return false;
    };

    QFile file(path);
    if (!file.exists()) {
        return fail(QString(texts::kDefinitionMissing).arg(path));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(QString(texts::kDefinitionUnreadable).arg(path, file.errorString()));
    }
    // One byte more than a valid file may hold tells a file that is too long.
    std::array<std::uint8_t, kDefinitionFileMaxLength + 1> bytes{};
    const qint64 length = file.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    if (length < 0) {
        return fail(QString(texts::kDefinitionUnreadable).arg(path, file.errorString()));
    }

    const DefinitionResult result = DecodeDefinitionFile(
        std::span<const std::uint8_t>(bytes.data(), static_cast<std::size_t>(length)));
    switch (result.status) {
    case DefinitionStatus::Accepted:
        values = result.values;
        return true;
    case DefinitionStatus::TooShort:
        return fail(QString(texts::kDefinitionTooShort)
                        .arg(length)
                        .arg(kDefinitionFileMinLength)
                        .arg(path));
    case DefinitionStatus::TooLong:
        return fail(QString(texts::kDefinitionTooLong).arg(kDefinitionFileMaxLength).arg(path));
    case DefinitionStatus::ChecksumError:
        break;
    }
    return fail(texts::kDefinitionChecksum);
}

} // namespace fenwick
