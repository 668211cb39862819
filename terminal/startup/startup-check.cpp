#include "startup-check.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <exception>
#include <iostream>
#include <mutex>

#include "platform.h"

namespace weighdesk {

namespace {

bool HasExpectedHash(const std::filesystem::path& library, std::string_view expectedSha256) {
    QFile file(QString::fromStdString(library.string()));
    if (!file.open(QIODevice::ReadOnly)) return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return false;
    return hash.result().toHex().toStdString() == expectedSha256;
}

}  // namespace

StartupCheck CheckFacadeLibrary(std::string_view expectedSha256) {
    static std::mutex checkMutex;
    std::lock_guard lock(checkMutex);
    try {
        const std::filesystem::path library = platform::ExecutableFolder() / kFacadeLibrary;
        if (const auto failure = platform::TryLoad(library)) {
            PrintLoadFailure(*failure);
            return StartupCheck::LibraryNotLoadable;
        }
        return HasExpectedHash(library, expectedSha256) ? StartupCheck::Passed : StartupCheck::IntegrityFailed;
    } catch (const std::exception& error) {
        std::cerr << "Critical Error: " << error.what() << std::endl;
        return StartupCheck::IntegrityFailed;
    }
}

void PrintLoadFailure(const platform::LoadFailure& failure) {
    std::cerr << "LoadLibrary failed (Error " << failure.number << "): " << failure.text << std::endl;
}

void PrintIntegrityError() {
    QJsonObject report;
    report.insert("error", QStringLiteral("Библиотека libpermanent.so повреждена или подменена"));
    const QByteArray text = QJsonDocument(report).toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fflush(stdout);
}

}  // namespace weighdesk
