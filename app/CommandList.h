// The two command lists of the command box, as constant data.
#pragma once

#include <cstdint>

#include "protocol/Cmd.h"

enum CommandCode : int32_t {
    RUN_PROGRAM = 0,
    LOAD_FILE = 1,
    RELOAD_FILE = 2,
    READ_VERSION = 3,
    STORE_FILE = 4,
    JMP_CONFIG = 5,
    JMP_NORMAL = 6,
    RD_STATIC_INFO = 7,
    RD_SEL_PROG = 8,
    WR_SEL_PROG = 9,
    RD_ALL_PROGS = 10,
    WR_ALL_PROGS = 11,
    RD_MIX_LEN = 12,
    WR_MIX_LEN = 13,
    CMD_SEPARATOR = 255,
};

struct CommandEntry {
    int32_t code;
    char label[32];
};

// The commands that are device operations, each with the engine's operation (Cmd):
// the one table the session, the start button and their tests go by.
struct DeviceOperation {
    int32_t nCode;
    int nCmd;
};
inline constexpr DeviceOperation kDeviceOperations[] = {
    {READ_VERSION, CmdRdVersion},      {JMP_CONFIG, CmdJmpConfig},    {JMP_NORMAL, CmdJmpNormal},
    {RD_STATIC_INFO, CmdRdStaticInfo}, {RD_SEL_PROG, CmdRdSelProg},   {WR_SEL_PROG, CmdWrSelProg},
    {RD_ALL_PROGS, CmdRdAllProgs},     {WR_ALL_PROGS, CmdWrAllProgs}, {RD_MIX_LEN, CmdRdMixLen},
    {WR_MIX_LEN, CmdWrMixLen},
};
// The row of a command code, or nullptr when it is no device operation.
const DeviceOperation* FindDeviceOperation(int32_t nCode);

extern const CommandEntry CmdListNormal[6];
extern const CommandEntry CmdListProgrammer[20];
