#include "serial/ComLink.h"

CComLink::~CComLink() {
    if (hComPort != kNullHandle)
        serial.Close(hComPort);
}

std::string CComLink::Open(unsigned nPort, bool bEmulation) {
    Close();
    bStalled = false;
    nExpected = 1;
    serial.InitLineSettings(comSettings, nPort, kBaudRate, bEmulation ? 1 : 0);
    const char* pResult = serial.Open(hComPort, comSettings);
    if (pResult == nullptr) {
        // No text means the number lies outside what a port name can carry: no port
        // was opened, so this is a failure like any other.
        hComPort = kNullHandle;
        return "port number out of range (1-99)";
    }
    if (*pResult != 0) {
        hComPort = kNullHandle;
        return pResult;
    }
    bGoneAway = false;
    return {};
}

void CComLink::Close() {
    if (hComPort == kNullHandle)
        return;
    WatchComPort(-1);
    serial.Close(hComPort);
    hComPort = kNullHandle;
}

std::string CComLink::Describe() {
    return serial.DescribeSettings(comSettings);
}

void CComLink::FlushReceive() {
    serial.FlushReceive(hComPort);
}

void CComLink::DiscardInput() {
    if (!serial.IsEmulation())
        serial.FlushReceive(hComPort);
}

int CComLink::Write(const uint8_t* pBytes, int nCount) {
    const int nDone = serial.Write(hComPort, pBytes, nCount);
    bStalled = nDone < nCount;
    return nDone;
}

int CComLink::BytesWaiting() {
    return serial.BytesWaiting(hComPort);
}

int CComLink::Read(uint8_t* pBuf, int nSize) {
    return serial.Read(hComPort, pBuf, nSize);
}

void CComLink::ExpectBytes(int nBytes) {
    // Asked after every read: only a change reaches the port.
    if (nBytes == nExpected)
        return;
    nExpected = nBytes;
    serial.SetReadWakeThreshold(hComPort, nBytes);
}

void CComLink::ResetRxCount() {
    nRxCount = 0;
    if (pListener != nullptr)
        pListener->OnRxCount(0, true);
}

void CComLink::ResetTxCount() {
    nTxCount = 0;
    if (pListener != nullptr)
        pListener->OnTxCount(0, true);
}

void CComLink::AddRxCount(int n) {
    if (n == 0)
        return;
    nRxCount += n;
    if (pListener != nullptr)
        pListener->OnRxCount(nRxCount, false);
}

void CComLink::AddTxCount(int n) {
    if (n == 0)
        return;
    nTxCount += n;
    if (pListener != nullptr)
        pListener->OnTxCount(nTxCount, false);
}

int CComLink::ComPortDescriptor() {
    if (hComPort == kNullHandle)
        return -1;
    return serial.PollDescriptor(hComPort);
}

void CComLink::CheckGoneAway() {
    if (bGoneAway || !serial.HasGoneAway(hComPort))
        return;
    bGoneAway = true;
    if (pListener != nullptr)
        pListener->OnPortLost();
}

void CComLink::WatchComPort(int nFd) {
    if (nFd == nWatchedFd)
        return;
    nWatchedFd = nFd;
    if (pListener != nullptr)
        pListener->OnWatchPort(nFd);
}
