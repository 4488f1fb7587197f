// The two command lists of the command box, as constant data.
#pragma once

#include <cstdint>

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

extern const CommandEntry CmdListNormal[6];
extern const CommandEntry CmdListProgrammer[20];
