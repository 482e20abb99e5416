#include "library/snmp/UsmKeys.h"

#include <QCryptographicHash>
#include <map>
#include <tuple>

namespace usmkeys {
namespace {

QCryptographicHash::Algorithm algorithm(Hash hash) {
    return hash == Hash::Md5 ? QCryptographicHash::Md5 : QCryptographicHash::Sha1;
}

int derivations = 0;
int localizations = 0;

}  // namespace

std::string passwordToKey(const std::string& password, Hash hash) {
    if (password.empty()) return {};
    constexpr size_t total = 1048576;
    // Hash in 64-octet pieces cut from the endless repetition of the password.
    QCryptographicHash digest(algorithm(hash));
    char block[64];
    size_t index = 0;
    for (size_t count = 0; count < total; count += sizeof block) {
        for (char& c : block) c = password[index++ % password.size()];
        digest.addData(QByteArrayView(block, sizeof block));
    }
    const QByteArray result = digest.result();
    return std::string(result.constData(), result.size());
}

std::string localize(const std::string& key, const std::string& engineId, Hash hash) {
    QCryptographicHash digest(algorithm(hash));
    digest.addData(QByteArrayView(key.data(), key.size()));
    digest.addData(QByteArrayView(engineId.data(), engineId.size()));
    digest.addData(QByteArrayView(key.data(), key.size()));
    const QByteArray result = digest.result();
    return std::string(result.constData(), result.size());
}

std::string localizedKey(const std::string& password, Hash hash, const std::string& engineId) {
    static std::map<std::pair<std::string, Hash>, std::string> keys;
    static std::map<std::tuple<std::string, Hash, std::string>, std::string> localized;
    const auto localKey = std::make_tuple(password, hash, engineId);
    if (auto found = localized.find(localKey); found != localized.end()) return found->second;
    auto [entry, added] = keys.try_emplace({password, hash});
    if (added) {
        entry->second = passwordToKey(password, hash);
        ++derivations;
    }
    ++localizations;
    return localized[localKey] = localize(entry->second, engineId, hash);
}

int derivationCount() {
    return derivations;
}
int localizationCount() {
    return localizations;
}

}  // namespace usmkeys
