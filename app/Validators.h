#pragma once

#include <QString>

// The main window's address checks, kept apart from it so that rules without widgets can use
// them; TMainForm::IsValidIPAddress and TMainForm::IsValidSubnetMask forward here.

// Dotted IPv4 host address: three dots, no leading dot, octets of decimal digits only, the first
// 1..223, the second and third 0..255, the fourth 1..254.
bool IsValidIPAddress(const QString& text);
// Dotted subnet mask: the same dot rules, first octet 1..255, the others 0..255, no octet equal
// to 1, and as 32 bits the second bit set, the last bit clear and no set bit after a clear one.
bool IsValidSubnetMask(const QString& text);
