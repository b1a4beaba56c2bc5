// Error numbers of the Zel engine, its value converter, the KSF mapper and the script runner.
// One table, HRESULT style (severity bit set, interface facility 0x0004). docs/engine.md lists
// the same numbers; keep both in step.
#pragma once

#include <QString>
#include <exception>
#include <string>

namespace zel {

// X(name, number, default description)
#define ZEL_ERROR_TABLE(X)                                                                        \
    /* general */                                                                                 \
    X(E_UNEXPECTED,      0x8004A000u, "Unexpected failure")                                       \
    X(E_INVALID_ARG,     0x8004A001u, "Invalid argument")                                         \
    X(E_NOT_FOUND,       0x8004A002u, "No such item")                                             \
    X(E_UNKNOWN_MEMBER,  0x8004A003u, "Object does not support this property or method")          \
    X(E_READ_ONLY,       0x8004A004u, "Property is read-only")                                    \
    X(E_ARG_COUNT,       0x8004A005u, "Wrong number of arguments")                                \
    X(E_INJECTED,        0x8004A006u, "Injected fault")                                           \
    X(E_DETACHED,        0x8004A007u, "Object has been removed from the engine")                  \
    /* values and the converter */                                                                \
    X(E_TYPE_MISMATCH,   0x8004A100u, "Type mismatch")                                            \
    X(E_OVERFLOW,        0x8004A101u, "Overflow")                                                 \
    X(E_VALUE_SYNTAX,    0x8004A102u, "Value text is malformed")                                  \
    X(E_UNKNOWN_TYPE,    0x8004A103u, "Unknown variant type")                                     \
    /* engine */                                                                                  \
    X(E_UNKNOWN_PROVIDER, 0x8004A200u, "Unknown provider")                                        \
    X(E_BAD_OPTION,      0x8004A201u, "Malformed option")                                         \
    X(E_UNKNOWN_COMMAND, 0x8004A202u, "Unknown command")                                          \
    X(E_OUT_OF_RANGE,    0x8004A203u, "Value out of range")                                       \
    X(E_BAD_POSE,        0x8004A204u, "Malformed pose")                                           \
    X(E_UNKNOWN_AXIS,    0x8004A205u, "Unknown axis")                                             \
    X(E_ROBOT_HELD,      0x8004A206u, "Robot is held")                                            \
    X(E_ROBOT_HALTED,    0x8004A207u, "Robot is halted")                                          \
    X(E_NO_HAND,         0x8004A208u, "No such hand")                                             \
    X(E_FILE_NOT_FOUND,  0x8004A209u, "File not found")                                           \
    X(E_FILE_EXISTS,     0x8004A20Au, "File already exists")                                      \
    X(E_NOT_A_FOLDER,    0x8004A20Bu, "Not a folder")                                             \
    X(E_TASK_STATE,      0x8004A20Cu, "Task cannot do this in its current state")                 \
    X(E_BAD_MODE,        0x8004A20Du, "Unknown mode")                                             \
    X(E_COMMAND_BUSY,    0x8004A20Eu, "Command is already executing")                             \
    X(E_COMMAND_IDLE,    0x8004A20Fu, "Command is not executing")                                 \
    X(E_NO_MESSAGE,      0x8004A210u, "Message has been cleared")                                 \
    X(E_TIMEOUT,         0x8004A211u, "Command timed out")                                        \
    X(E_HAND_BUSY,       0x8004A212u, "Hand holds a workpiece")                                   \
    X(E_IS_FOLDER,       0x8004A213u, "Is a folder")                                              \
    X(E_FOLDER_NOT_EMPTY, 0x8004A214u, "Folder is not empty")                                     \
    X(E_OUT_OF_REACH,    0x8004A215u, "Pose is out of reach")                                     \
    X(E_NOT_A_PROGRAM,   0x8004A216u, "File is not a program")                                    \
    /* providers and devices */                                                                   \
    X(E_NO_MEMBER_KIND,  0x8004A217u, "Provider has no members of this kind")                     \
    X(E_DEVICE_UNREACHABLE, 0x8004A218u, "Device cannot be reached")                              \
    X(E_DEVICE_TIMEOUT,  0x8004A219u, "Device did not answer in time")                            \
    X(E_DEVICE_RESPONSE, 0x8004A21Au, "Device sent a malformed response")                         \
    X(E_DEVICE_MAP,      0x8004A21Bu, "Device map is malformed")                                  \
    /* KSF mapper */                                                                              \
    X(E_KSF_READ,        0x8004A300u, "KSF file cannot be read")                                  \
    X(E_KSF_WRITE,       0x8004A301u, "KSF file cannot be written")                               \
    X(E_KSF_NOT_XML,     0x8004A302u, "KSF file is not well-formed XML")                          \
    X(E_KSF_BAD_ROOT,    0x8004A303u, "KSF file has the wrong root element")                      \
    X(E_KSF_MISSING_ATTR, 0x8004A304u, "KSF element lacks a required attribute")                  \
    X(E_KSF_UNKNOWN_KIND, 0x8004A305u, "KSF element has an unknown kind")                         \
    X(E_KSF_DUPLICATE,   0x8004A306u, "KSF document holds a duplicate name")                      \
    X(E_KSF_TOO_LARGE,   0x8004A307u, "KSF file is too large")                                    \
    X(E_KSF_NO_ENTRY,    0x8004A308u, "KSF entry not found")                                      \
    X(E_KSF_BAD_NESTING, 0x8004A309u, "KSF entry cannot hold this kind")                          \
    X(E_KSF_UNEXPECTED,  0x8004A30Au, "KSF file holds an element, attribute or text not allowed there") \
    /* script runner */                                                                           \
    X(E_SCRIPT_SYNTAX,   0x8004A400u, "Syntax error")                                             \
    X(E_SCRIPT_UNDEFINED, 0x8004A401u, "Variable is undefined")                                   \
    X(E_SCRIPT_FILE,     0x8004A402u, "Script file cannot be read")                               \
    X(E_SCRIPT_STOPPED,  0x8004A403u, "Script was stopped")                                       \
    /* Modbus exception responses: 0x8004A500 + the exception code */                             \
    X(E_MODBUS_EXCEPTION, 0x8004A500u, "Device refused the request")                              \
    X(E_MODBUS_ILLEGAL_FUNCTION, 0x8004A501u, "Illegal function")                                 \
    X(E_MODBUS_ILLEGAL_ADDRESS, 0x8004A502u, "Illegal data address")                              \
    X(E_MODBUS_ILLEGAL_VALUE, 0x8004A503u, "Illegal data value")                                  \
    X(E_MODBUS_DEVICE_FAILURE, 0x8004A504u, "Device failure")                                     \
    X(E_MODBUS_BUSY,     0x8004A506u, "Device busy")                                              \
    X(E_MODBUS_GATEWAY_PATH, 0x8004A50Au, "Gateway path unavailable")                             \
    X(E_MODBUS_GATEWAY_TARGET, 0x8004A50Bu, "Gateway target failed to respond")

enum Error : quint32 {
#define ZEL_ERROR_ENUM(name, number, text) name = number,
    ZEL_ERROR_TABLE(ZEL_ERROR_ENUM)
#undef ZEL_ERROR_ENUM
};

// Default description of an error number, or an empty text for numbers outside the table.
QString errorText(quint32 number);

// The one exception type of the engine and its companions. The number is a 32-bit HRESULT;
// the description says what went wrong and where.
class ZelError : public std::exception {
public:
    ZelError() = default;
    ZelError(quint32 number, QString description);
    // Uses the table's text as description.
    explicit ZelError(Error number);

    qint32 number() const { return static_cast<qint32>(m_number); }
    quint32 unsignedNumber() const { return m_number; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    quint32 m_number = 0;
    QString m_description;
    std::string m_what;
};

} // namespace zel
