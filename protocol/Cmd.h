// Command codes of the Handheld protocol: the running operation and the frame
// that is built next share these numbers.
#pragma once

enum Cmd : int {
    CmdUnknown = 0,
    CmdJmpNormal = 1,
    CmdJmpConfig = 2,
    CmdRdVersion = 3,
    CmdRdStaticInfo = 4,
    CmdRdSelProg = 5,
    CmdWrSelProg = 6,
    CmdRdAllProgs = 7,
    CmdWrAllProgs = 8,
    CmdRdMixLen = 9,
    CmdWrMixLen = 10,
};

// EEPROM sub-commands: the units of transfer that the read and write sequences chain.
enum SubE2Cmd : int {
    SubE2None = 0,
    SubE2RdProgLen = 1,
    SubE2RdProgName = 2,
    SubE2RdProgData = 3,
    SubE2RdMixLen = 4,
    SubE2WrProgData = 5,
    SubE2WrProgName = 6,
    SubE2WrProgLen = 7,
    SubE2WrMixLen = 8,
};
