#include "serial/SerialPort.h"

// TODO: the serial port is not built yet.
int CSerialPort::EnumeratePorts(std::vector<unsigned>& a) { a.clear(); return 0; }
int CSerialPort::InitLineSettings(ComSettings&, unsigned, uint32_t, uint8_t) { return 1; }
const char* CSerialPort::DescribeSettings(ComSettings) { return ""; }
const char* CSerialPort::Open(PortHandle&, ComSettings) { return "INVLID_HANDLE_VALUE"; }
int CSerialPort::Close(PortHandle&) { return 0; }
int CSerialPort::BytesWaiting(PortHandle&) { return 0; }
int CSerialPort::FlushReceive(PortHandle&) { return 0; }
int CSerialPort::PurgeTransmit(PortHandle&) { return 0; }
int CSerialPort::Write(PortHandle&, const uint8_t*, int) { return 0; }
int CSerialPort::Read(PortHandle&, uint8_t*, int) { return 0; }
