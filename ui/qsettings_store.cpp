#include "ui/qsettings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <optional>
#include <utility>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace corvane {
namespace {

QString Key(std::string_view name) {
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

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

#if defined(Q_OS_WIN)
// The registry's own type of a value (REG_SZ, REG_DWORD, ...), or nothing when the value or the
// key is missing. QSettings cannot tell them apart: it reads REG_BINARY bytes as a text ("??")
// and a REG_QWORD as a number, so the type is asked of the registry itself.
std::optional<unsigned long> RegistryType(const QSettings& settings, std::string_view name) {
  // fileName() is "\HKEY_CURRENT_USER\Software\...": the root, then the key below it.
  const QString path = settings.fileName().mid(1);
  const qsizetype cut = path.indexOf(QLatin1Char('\\'));
  const QString root = path.left(cut);
  HKEY rootKey = HKEY_CURRENT_USER;
  if (root == QLatin1String("HKEY_LOCAL_MACHINE")) rootKey = HKEY_LOCAL_MACHINE;
  const std::wstring key = path.mid(cut + 1).toStdWString();
  const std::wstring value = Key(name).toStdWString();
  DWORD type = REG_NONE;
  if (RegGetValueW(rootKey, key.c_str(), value.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                   nullptr) != ERROR_SUCCESS)
    return std::nullopt;
  return type;
}

// A Boolean is a REG_DWORD; a text a REG_SZ, or a REG_EXPAND_SZ read as it stands.
bool RegistryTypeFits(unsigned long type, bool text) {
  return text ? (type == REG_SZ || type == REG_EXPAND_SZ) : type == REG_DWORD;
}
#endif

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
    error = FailedToGetText(name);
    return false;
  }
#if defined(Q_OS_WIN)
  if (InRegistry(*settings_)) {
    const std::optional<unsigned long> type = RegistryType(*settings_, name);
    if (type && !RegistryTypeFits(*type, false)) {
      error = InvalidTypeText(name);
      return false;
    }
  }
#endif
  if (!DwordValue(stored, InRegistry(*settings_), value)) {
    error = InvalidTypeText(name);
    return false;
  }
  return true;
}

bool QSettingsStore::ReadText(std::string_view name, std::string& value, std::string& error) {
  const QVariant stored = settings_->value(Key(name));
#if defined(Q_OS_WIN)
  if (stored.isValid() && InRegistry(*settings_)) {
    const std::optional<unsigned long> type = RegistryType(*settings_, name);
    if (type && !RegistryTypeFits(*type, true)) {
      error = InvalidTypeText(name);
      return false;
    }
  }
#endif
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
        error = InvalidTypeText(name);
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
  if (settings_->status() == QSettings::NoError) return true;
  if (!notKeptNotice_) {
    error = FailedToSetText(name);
    return false;
  }
  if (!notKeptTold_) {
    notKeptTold_ = true;
    notKeptNotice_(NotKeptText());
  }
  return true;
}

void QSettingsStore::SetNotKeptNotice(std::function<void(const std::string& text)> notice) {
  notKeptNotice_ = std::move(notice);
}

std::string QSettingsStore::NotKeptText() const {
  QString where = Location();
  // The registry names its keys without the leading separator QSettings gives them.
  if (InRegistry(*settings_) && where.startsWith(QLatin1Char('\\'))) where = where.mid(1);
  const QByteArray shown = QDir::toNativeSeparators(where).toLocal8Bit();
  return "The settings cannot be written to \"" + shown.toStdString() +
         "\": Corvane goes on, but the settings will not be kept";
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

QString QSettingsStore::Location() const { return settings_->fileName(); }

}  // namespace corvane
