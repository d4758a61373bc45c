// The salted digest that the users file keeps instead of passwords.
#pragma once

#include <string>
#include <string_view>

namespace quin {

// The digest text of Text1 + the installation's salt + Text2: 32 upper-case hexadecimal
// digits. The logon passes the login as Text1 and the password as Text2, both as 8-bit text.
std::string PasswordDigest(std::string_view Text1, std::string_view Text2);

// The same digest with an explicit salt: MD5 of Text1 + Salt + Text2, the 16 digest bytes
// read as four little-endian 32-bit words, each written as 8 upper-case hexadecimal digits.
std::string SaltedDigest(std::string_view Text1, std::string_view Salt, std::string_view Text2);

// Compares two digest texts without leaking through timing where they differ (the lengths
// are not secret). Callers compare a stored digest with a computed one through this.
bool DigestsEqual(std::string_view A, std::string_view B);

}  // namespace quin
