#include "tests/app/ModuleSetup.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstdlib>

#include "library/snmp/CvSNMPSession.h"

namespace {

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(text);
}

}  // namespace

ModuleSetup::ModuleSetup() {
    QDir root(dir_.path());
    root.mkpath("harbor/mibs");
    root.mkpath("module/errmsg");
    root.mkpath("state");
    root.mkpath("run");
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray registry =
        "[SOFTWARE/Corvane/Modules/HelpPath]\n"
        "1.3.6.1.4.1.32473.10.37.38=" +
        (dir_.path() + "/module").toUtf8() +
        "\n[SOFTWARE/Corvane/Harbor5.1/ExePath]\nPath=" + (dir_.path() + "/harbor").toUtf8() +
        "\n[SOFTWARE/Corvane/Harbor5.1/MibFile]\nPath=mibs\n";
    writeFile(registryPath(), registry);
}

void ModuleSetup::writeSettings(const std::string& address,
                                const std::map<std::string, std::string>& keys) {
    QByteArray text = "[Program Information]\r\n";
    for (const auto& [key, value] : keys)
        text += QByteArray::fromStdString(key) + "=" + QByteArray::fromStdString(value) + "\r\n";
    writeFile(mibDir() + "/" + QString::fromStdString(address) + ".cfg", text);
}

void ModuleSetup::exportEnvironment() const {
    setenv("VRA2260_REGISTRY", registryPath().toLocal8Bit().constData(), 1);
    setenv("VRA2260_STATE_DIR", stateDir().toLocal8Bit().constData(), 1);
    setenv("XDG_RUNTIME_DIR", runtimeDir().toLocal8Bit().constData(), 1);
}

void UseDevice(uint16_t port) {
    CvSNMPSession::Start();
    CvSNMPSettings& defaults = CvSNMPSession::Defaults();
    defaults = CvSNMPSettings{};
    defaults.port = port;
    defaults.version = 2;
}
