#include "ui/qsettings_store.h"

#include <QFileInfo>
#include <QStringList>
#include <QVariant>
#include <cstdint>

namespace corvane {
namespace {

QString Key(std::string_view name) {
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

std::string WithName(const char* text, std::string_view name) {
  std::string out = text;
  out += '\'';
  out += name;
  out += '\'';
  return out;
}

std::string FailedToGet(std::string_view name) { return WithName("Failed to get data for ", name); }
std::string InvalidType(std::string_view name) { return WithName("Invalid data type for ", name); }
std::string FailedToSet(std::string_view name) { return WithName("Failed to set data for ", name); }

// An integer a DWORD can hold, read as the registry reads it; false when the value is no such
// integer. QVariant::toInt would wrap "4294967296" to 0 and call "abc" true. `registry` tells a
// store in the Windows registry, where values have types, from an INI file, where all are text.
bool DwordValue(const QVariant& value, bool registry, bool& result) {
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
      result = value.toLongLong() != 0;
      return true;
    case QMetaType::QString:
    case QMetaType::QByteArray: {
      // In the registry a text (REG_SZ) is of the wrong type for a Boolean.
      if (registry) return false;
      bool ok = false;
      const qlonglong number = value.toString().trimmed().toLongLong(&ok);
      if (!ok || number < INT32_MIN || number > static_cast<qlonglong>(UINT32_MAX)) return false;
      result = number != 0;
      return true;
    }
    default:
      return false;
  }
}

// Whether the settings live in the Windows registry (the user's own store on Windows).
bool InRegistry(const QSettings& settings) {
#if defined(Q_OS_WIN)
  return settings.format() == QSettings::NativeFormat;
#else
  (void)settings;
  return false;
#endif
}

}  // namespace

QSettingsStore::QSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromLatin1(kSettingsOrganisation),
                                            QString::fromLatin1(kSettingsApplication))) {}

QSettingsStore::QSettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

QSettingsStore::QSettingsStore(const QString& path, QSettings::Format format)
    : settings_(std::make_unique<QSettings>(path, format)) {}

QSettingsStore::~QSettingsStore() = default;

bool QSettingsStore::ReadBool(std::string_view name, bool& value, std::string& error) {
  const QVariant stored = settings_->value(Key(name));
  if (!stored.isValid()) {
    error = FailedToGet(name);
    return false;
  }
  if (!DwordValue(stored, InRegistry(*settings_), value)) {
    error = InvalidType(name);
    return false;
  }
  return true;
}

bool QSettingsStore::ReadText(std::string_view name, std::string& value, std::string& error) {
  (void)error;  // only the registry has a wrong type for a text
  const QVariant stored = settings_->value(Key(name));
  QString text;
  switch (stored.typeId()) {
    case QMetaType::UnknownType:  // missing: an empty text, no error
      break;
    case QMetaType::QStringList:
      text = stored.toStringList().join(QLatin1Char(','));
      break;
    case QMetaType::QString:
    case QMetaType::QByteArray:
      text = stored.toString();
      break;
    default:
      if (InRegistry(*settings_)) {
        // A DWORD where a text (REG_SZ) belongs.
        error = InvalidType(name);
        return false;
      }
      text = stored.toString();
  }
  const QByteArray bytes = text.toLocal8Bit();
  value.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return true;
}

bool QSettingsStore::WriteBool(std::string_view name, bool value, std::string& error) {
  settings_->setValue(Key(name), value ? 1 : 0);
  return Sync(name, error);
}

bool QSettingsStore::WriteText(std::string_view name, std::string_view value, std::string& error) {
  settings_->setValue(Key(name),
                      QString::fromLocal8Bit(value.data(), static_cast<qsizetype>(value.size())));
  return Sync(name, error);
}

bool QSettingsStore::Sync(std::string_view name, std::string& error) {
  settings_->sync();
  if (settings_->status() != QSettings::NoError) {
    error = FailedToSet(name);
    return false;
  }
  return true;
}

bool QSettingsStore::Exists() const {
  if (InRegistry(*settings_)) {
    // The key exists when its parent lists it; fileName() is "\HKEY_CURRENT_USER\Software\...".
    const QString key = settings_->fileName().mid(1);
    const qsizetype cut = key.lastIndexOf(QLatin1Char('\\'));
    const QSettings parent(key.left(cut), QSettings::NativeFormat);
    return parent.childGroups().contains(key.mid(cut + 1), Qt::CaseInsensitive);
  }
  return QFileInfo(settings_->fileName()).isFile();
}

bool QSettingsStore::DefaultBool(std::string_view name) { return name != kSettingAutoSel; }

bool QSettingsStore::WriteDefault(std::string_view name, const std::string& homeFolder,
                                  const std::string& shippedConfigName, std::string& error) {
  if (name == kSettingShowTips || name == kSettingShowLog || name == kSettingLocked ||
      name == kSettingAutoSel)
    return WriteBool(name, DefaultBool(name), error);
  if (name == kSettingDxfPath || name == kSettingDestPath) return WriteText(name, homeFolder, error);
  if (name == kSettingConfig) return WriteText(name, shippedConfigName, error);
  error = FailedToSet(name);
  return false;
}

bool QSettingsStore::CreateDefaults(const std::string& homeFolder,
                                    const std::string& shippedConfigName, std::string& error) {
  for (const char* name : {kSettingShowTips, kSettingShowLog, kSettingDxfPath, kSettingDestPath,
                           kSettingLocked, kSettingAutoSel, kSettingConfig}) {
    if (!WriteDefault(name, homeFolder, shippedConfigName, error)) return false;
  }
  return true;
}

QString QSettingsStore::Location() const { return settings_->fileName(); }

}  // namespace corvane
