#include "settings/ComputerSettings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <array>

using namespace Qt::StringLiterals;

namespace trouvimo {

namespace {

struct Key {
    QLatin1StringView name;
    bool ComputerSettings::*setting;
    std::optional<bool> GivenSettings::*given;
};

constexpr std::array kKeys {
    Key {"SwitchDisplay"_L1, &ComputerSettings::switchDisplay, &GivenSettings::switchDisplay},
    Key {"SayWords"_L1, &ComputerSettings::sayWords, &GivenSettings::sayWords},
    Key {"DifficultAtStart"_L1, &ComputerSettings::difficultAtStart,
         &GivenSettings::difficultAtStart},
    Key {"WordsWindow"_L1, &ComputerSettings::wordsWindow, &GivenSettings::wordsWindow},
    Key {"FamilyWords"_L1, &ComputerSettings::familyWords, &GivenSettings::familyWords},
    Key {"HoldToQuit"_L1, &ComputerSettings::holdToQuit, &GivenSettings::holdToQuit},
};

constexpr auto kGroup = "Trouvimo"_L1;
// The installer's mark: the check of what follows it.
constexpr auto kCheckPrefix = "# Written by the Trouvimo installer, check "_L1;

std::optional<bool> truth(const QString& value)
{
    for (const auto yes : {"true"_L1, "1"_L1, "yes"_L1}) {
        if (value.compare(yes, Qt::CaseInsensitive) == 0)
            return true;
    }
    for (const auto no : {"false"_L1, "0"_L1, "no"_L1}) {
        if (value.compare(no, Qt::CaseInsensitive) == 0)
            return false;
    }
    return std::nullopt;
}

const Key* keyNamed(const QString& name)
{
    for (const Key& key : kKeys) {
        if (name.compare(key.name, Qt::CaseInsensitive) == 0)
            return &key;
    }
    return nullptr;
}

QByteArray checkOf(const QByteArray& body)
{
    return QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex().left(16);
}

} // namespace

QStringList settingKeys()
{
    QStringList keys;
    for (const Key& key : kKeys)
        keys.append(key.name);
    return keys;
}

SettingsRead readComputerSettings(const QByteArray& bytes)
{
    SettingsRead read;
    enum class Place { BeforeGroup, InGroup, InOtherGroup } place = Place::BeforeGroup;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype index = 0; index < lines.size(); ++index) {
        QString line = QString::fromUtf8(lines[index]).trimmed();
        // Notepad begins a UTF-8 file with a byte order mark.
        if (index == 0 && line.startsWith(QChar(0xFEFF)))
            line = line.sliced(1).trimmed();
        const auto find = [&read, index, &line](SettingsFinding::Kind kind) {
            read.findings.append({static_cast<int>(index) + 1, kind, line});
        };
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const bool ours =
                line.sliced(1, line.size() - 2).trimmed().compare(kGroup, Qt::CaseInsensitive) == 0;
            place = ours ? Place::InGroup : Place::InOtherGroup;
            if (!ours)
                find(SettingsFinding::Kind::OtherGroup);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0) {
            find(SettingsFinding::Kind::NotALine);
            continue;
        }
        if (place == Place::InOtherGroup)
            continue;
        if (place == Place::BeforeGroup) {
            find(SettingsFinding::Kind::OutsideGroup);
            continue;
        }
        const Key* key = keyNamed(line.first(equals).trimmed());
        if (key == nullptr) {
            find(SettingsFinding::Kind::UnknownKey);
            continue;
        }
        const std::optional<bool> value = truth(line.sliced(equals + 1).trimmed());
        if (!value) {
            find(SettingsFinding::Kind::NotTrueOrFalse);
            continue;
        }
        read.settings.*(key->setting) = *value;
    }
    return read;
}

SettingsRead loadComputerSettings(const QString& file)
{
    QFile settings(file);
    if (file.isEmpty() || !QFileInfo(file).isFile() || !settings.open(QIODevice::ReadOnly))
        return {};
    return readComputerSettings(settings.readAll());
}

bool GivenSettings::any() const
{
    for (const Key& key : kKeys) {
        if ((this->*(key.given)).has_value())
            return true;
    }
    return false;
}

GivenSettings givenSettings(const QStringList& properties)
{
    GivenSettings given;
    for (const QString& property : properties) {
        const qsizetype equals = property.indexOf(u'=');
        if (equals <= 0)
            continue;
        const Key* key = keyNamed(property.first(equals));
        const QString value = property.sliced(equals + 1).trimmed();
        if (key != nullptr && (value == u"1" || value == u"0"))
            given.*(key->given) = value == u"1";
    }
    return given;
}

QByteArray installedSettingsFile(const GivenSettings& given)
{
    QByteArray body = "[" + QByteArray(kGroup.data(), kGroup.size()) + "]\n";
    for (const Key& key : kKeys) {
        if (const std::optional<bool> value = given.*(key.given))
            body +=
                QByteArray(key.name.data(), key.name.size()) + (*value ? "=true\n" : "=false\n");
    }
    return QByteArray(kCheckPrefix.data(), kCheckPrefix.size()) + checkOf(body) + '\n' + body;
}

bool isUnchangedInstalledFile(const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf('\n');
    const QByteArray first = bytes.left(end);
    const QByteArray prefix(kCheckPrefix.data(), kCheckPrefix.size());
    return end > 0 && first.startsWith(prefix)
        && first.mid(prefix.size()) == checkOf(bytes.mid(end + 1));
}

InstallOutcome installSettings(const QString& file, const GivenSettings& given)
{
    if (!given.any())
        return InstallOutcome::NothingGiven;
    if (QFile existing(file); existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly) || !isUnchangedInstalledFile(existing.readAll()))
            return InstallOutcome::KeptChangedFile;
        // Windows replaces no file that is still open, and an upgrade replaces this one.
        existing.close();
    }
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return InstallOutcome::NotWritten;
    QSaveFile saved(file);
    if (!saved.open(QIODevice::WriteOnly) || saved.write(installedSettingsFile(given)) < 0
        || !saved.commit())
        return InstallOutcome::NotWritten;
    return InstallOutcome::Written;
}

} // namespace trouvimo
