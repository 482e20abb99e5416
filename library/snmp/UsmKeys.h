#pragma once

#include <string>

// User-based security keys (RFC 3414): a password turned into a key by hashing one megabyte of
// its repetitions, then localised to one engine by hashing key, engine id and key again. The
// results are cached, so a password is hashed once per protocol and a key localised once per
// engine; the caches never hold a password in clear, only a salted digest of it.
namespace usmkeys {

enum class Hash { Md5, Sha1 };

// The 16-octet (MD5) or 20-octet (SHA-1) key of a password; empty password gives an empty key.
std::string passwordToKey(const std::string& password, Hash hash);
// The key localised to the engine id (raw octets).
std::string localize(const std::string& key, const std::string& engineId, Hash hash);

// Cached forms of the two steps.
std::string cachedKey(const std::string& password, Hash hash);
std::string cachedLocalizedKey(const std::string& key, Hash hash, const std::string& engineId);
// Drops the keys localised to an engine that is gone (an agent that changed its engine id).
void forgetEngine(const std::string& engineId);

// A digest of secret text under a salt of this process, to name it in long-lived maps.
std::string digest(const std::string& secret);

// How often the one-megabyte derivation really ran (benchmark and tests).
int derivationCount();

}  // namespace usmkeys
