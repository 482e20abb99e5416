#include "library/snmp/UsmKeys.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <map>
#include <tuple>

namespace usmkeys {
namespace {

QCryptographicHash::Algorithm algorithm(Hash hash) {
    return hash == Hash::Md5 ? QCryptographicHash::Md5 : QCryptographicHash::Sha1;
}

int derivations = 0;

std::map<std::pair<std::string, Hash>, std::string>& keys() {
    static std::map<std::pair<std::string, Hash>, std::string> cache;
    return cache;
}

std::map<std::tuple<std::string, Hash, std::string>, std::string>& localized() {
    static std::map<std::tuple<std::string, Hash, std::string>, std::string> cache;
    return cache;
}

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

std::string digest(const std::string& secret) {
    static const QByteArray salt = [] {
        QByteArray bytes(16, '\0');
        for (char& c : bytes) c = static_cast<char>(QRandomGenerator::system()->generate());
        return bytes;
    }();
    QCryptographicHash sha(QCryptographicHash::Sha256);
    sha.addData(salt);
    sha.addData(QByteArrayView(secret.data(), secret.size()));
    const QByteArray result = sha.result();
    return std::string(result.constData(), result.size());
}

std::string cachedKey(const std::string& password, Hash hash) {
    auto [entry, added] = keys().try_emplace({digest(password), hash});
    if (added) {
        entry->second = passwordToKey(password, hash);
        ++derivations;
    }
    return entry->second;
}

std::string cachedLocalizedKey(const std::string& key, Hash hash, const std::string& engineId) {
    auto [entry, added] = localized().try_emplace({digest(key), hash, engineId});
    if (added) entry->second = localize(key, engineId, hash);
    return entry->second;
}

void forgetEngine(const std::string& engineId) {
    auto& cache = localized();
    for (auto entry = cache.begin(); entry != cache.end();)
        entry = std::get<2>(entry->first) == engineId ? cache.erase(entry) : std::next(entry);
}

int derivationCount() {
    return derivations;
}

}  // namespace usmkeys
