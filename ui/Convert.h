#pragma once
#include <QString>
#include <QUrl>

#include <filesystem>
#include <string>

namespace quorrel {

// The one place where the core's UTF-8 texts and paths meet Qt's strings.
inline QString ToQ(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToStd(const QString& text) { return text.toStdString(); }
inline QString ToQ(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }
inline QUrl LocalUrl(const std::filesystem::path& path) { return QUrl::fromLocalFile(ToQ(path)); }

} // namespace quorrel
