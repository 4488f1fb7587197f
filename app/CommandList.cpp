#include "app/CommandList.h"

#define SEPARATOR \
    { CMD_SEPARATOR, "-------------------------" }

const CommandEntry CmdListNormal[6] = {
    {RUN_PROGRAM, "run program"}, SEPARATOR, {LOAD_FILE, "load file"},
    {RELOAD_FILE, "reload file"}, SEPARATOR, {READ_VERSION, "read version"},
};

const CommandEntry CmdListProgrammer[20] = {
    {RUN_PROGRAM, "run program"},
    SEPARATOR,
    {LOAD_FILE, "load file"},
    {RELOAD_FILE, "reload file"},
    {STORE_FILE, "store to file"},
    SEPARATOR,
    {READ_VERSION, "read version"},
    SEPARATOR,
    {JMP_CONFIG, "jmp to CFG mode"},
    {JMP_NORMAL, "jmp normal mode"},
    SEPARATOR,
    {RD_STATIC_INFO, "rd static info"},
    {RD_SEL_PROG, "rd sel. program"},
    {WR_SEL_PROG, "wr sel. program"},
    SEPARATOR,
    {RD_ALL_PROGS, "rd all programs"},
    {WR_ALL_PROGS, "wr all programs"},
    SEPARATOR,
    {RD_MIX_LEN, "rd MIX lenght"},
    {WR_MIX_LEN, "wr MIX lenght"},
};

const DeviceOperation* FindDeviceOperation(int32_t nCode) {
    for (const DeviceOperation& op : kDeviceOperations) {
        if (op.nCode == nCode)
            return &op;
    }
    return nullptr;
}
