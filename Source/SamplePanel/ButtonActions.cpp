#include "ButtonActions.h"

#include <cwchar>

#include "TarvenK3Cmd.h"

namespace {

// The entry point with the type the public header declares for it.
template <typename Function>
Function As(FARPROC entry) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(entry));
}
#define TCX_CALL(function, entry) As<decltype(&function)>(entry)

// Byte results are shown as the byte alone, widened without sign.
std::int32_t ByteResult(unsigned char result) { return result; }

// The firmware version and device status readers write three bytes the caller owns; the panel
// shows only their result byte. The number of the field the button reads is checked but used
// for nothing else.
const ButtonAction kButtonActions[] = {
    {L"Command1", "_tcx_OpenTARVEN@0", {},
     [](FARPROC f, const std::int32_t*) -> std::int32_t { return TCX_CALL(tcx_OpenTARVEN, f)(); }},
    {L"Command2", "_tcx_CloseTARVEN@0", {},
     [](FARPROC f, const std::int32_t*) -> std::int32_t {
       TCX_CALL(tcx_CloseTARVEN, f)();
       return 0;  // it returns nothing; the label shows that it ran
     }},
    {L"Command3", "_tcx_IsOpenTARVEN@0", {},
     [](FARPROC f, const std::int32_t*) { return ByteResult(TCX_CALL(tcx_IsOpenTARVEN, f)()); }},
    {L"Command4", "_tcx_OpenRadio@0", {},
     [](FARPROC f, const std::int32_t*) { return ByteResult(TCX_CALL(tcx_OpenRadio, f)()); }},
    {L"Command5", "_tcx_CloseRadio@0", {},
     [](FARPROC f, const std::int32_t*) { return ByteResult(TCX_CALL(tcx_CloseRadio, f)()); }},
    {L"Command6", "_tcx_IsOpenRadio@0", {},
     [](FARPROC f, const std::int32_t*) { return ByteResult(TCX_CALL(tcx_IsOpenRadio, f)()); }},
    {L"Command9", "_tcx_SetChannelRadio@8", {L"txtParam1", L"txtChannel"},
     [](FARPROC f, const std::int32_t* n) { return ByteResult(TCX_CALL(tcx_SetChannelRadio, f)(n[0], n[1])); }},
    {L"Command10", "_tcx_TiltUp@4", {},
     [](FARPROC f, const std::int32_t*) { return ByteResult(TCX_CALL(tcx_TiltUp, f)(0)); }},
    {L"Command11", "_tcx_TiltDown@4", {},
     [](FARPROC f, const std::int32_t*) { return ByteResult(TCX_CALL(tcx_TiltDown, f)(0)); }},
    {L"Command12", "_tcx_SetMonitorBrightness@8", {L"txtDay", L"txtNight"},
     [](FARPROC f, const std::int32_t* n) {
       return ByteResult(TCX_CALL(tcx_SetMonitorBrightness, f)(n[0], n[1]));
     }},
    {L"Command13", "_tcx_GetFwVersion@4", {L"txtFWParam"},
     [](FARPROC f, const std::int32_t*) {
       unsigned char version[3] = {};
       return ByteResult(TCX_CALL(tcx_GetFwVersion, f)(version));
     }},
    {L"Command14", "_tcx_GetDevStatus@4", {L"txtDevice"},
     [](FARPROC f, const std::int32_t*) {
       unsigned char status[3] = {};
       return ByteResult(TCX_CALL(tcx_GetDevStatus, f)(status));
     }},
    {L"Command15", "_tcx_GetFMStereoState@0", {},
     [](FARPROC f, const std::int32_t*) { return ByteResult(TCX_CALL(tcx_GetFMStereoState, f)()); }},
    {L"Command16", "_tcx_GetChannelDetectState@4", {L"txtChannelDetect"},
     [](FARPROC f, const std::int32_t* n) { return ByteResult(TCX_CALL(tcx_GetChannelDetectState, f)(n[0])); }},
};

}  // namespace

const ButtonAction* FindButtonAction(const wchar_t* button) {
  for (const ButtonAction& action : kButtonActions)
    if (std::wcscmp(action.button, button) == 0) return &action;
  return nullptr;
}
