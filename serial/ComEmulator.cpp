#include "serial/ComEmulator.h"

// TODO: the emulated Handheld is not built yet.
int CComEmulator::HandleFrame(const uint8_t*, int n) { return n; }
int CComEmulator::ReadAnswer(uint8_t*, int) { return 0; }
int CComEmulator::ResetEmulator() { return 1; }
bool CComEmulator::LoadDefaults() { return true; }
void CComEmulator::TraceLeds(uint8_t) {}
void CComEmulator::PutAnswer(const uint8_t*, int) {}
void CComEmulator::PutStatus(char, char) {}
