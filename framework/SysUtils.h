// Exception base of the program and of the framework. Every exception that
// leaves an event handler is shown by the application's exception event with
// its Message, so messages are complete sentences meant for a user.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// A call to the platform failed. The message says what could not be done,
// which call failed, and the system's own text for its error code.
class EOSError : public Exception {
public:
    EOSError(std::string message, uint32_t code) : Exception(std::move(message)), FCode(code) {}
    uint32_t ErrorCode() const noexcept { return FCode; }

private:
    uint32_t FCode;
};

// Raised by the stream helpers that must move a whole buffer.
class EReadError : public Exception {
public:
    using Exception::Exception;
};
class EWriteError : public Exception {
public:
    using Exception::Exception;
};

// Raised by StrToInt and the conversions built on it.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A value outside the range its property or parameter allows.
class ERangeError : public Exception {
public:
    using Exception::Exception;
};

// Strict decimal conversion: optional sign, digits, no blanks; fits in 32 bits.
bool TryStrToInt(const std::string& text, int& value);
int StrToInt(const std::string& text);
std::string IntToStr(long long value);
// Whether the last part of `path` (after its last '\\', '/' or ':') names one
// of the devices Windows keeps in every folder (CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9, CONIN$, CONOUT$), with any extension, letter case and
// trailing blanks: writing to it reaches the device, never a file.
bool IsReservedDeviceName(const std::string& path);
// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char c);
