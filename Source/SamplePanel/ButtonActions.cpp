#include "ButtonActions.h"

#include <cwchar>

namespace {

using Numbers = const std::int32_t*;
using F = TcxFunction;

// Byte results are shown as the byte alone, widened without sign.
std::int32_t ByteResult(unsigned char result) { return result; }

// The firmware version and device status readers write three bytes the caller owns; the panel
// shows only their result byte. The number of the field the button reads is checked but used
// for nothing else.
const ButtonAction kButtonActions[] = {
    {L"Command1", F::OpenTARVEN, {}, [](const TcxEntryPoints& l, Numbers) -> std::int32_t { return l.OpenTARVEN(); }},
    {L"Command2", F::CloseTARVEN, {},
     [](const TcxEntryPoints& l, Numbers) -> std::int32_t {
       l.CloseTARVEN();
       return 0;  // it returns nothing; the label shows that it ran
     }},
    {L"Command3", F::IsOpenTARVEN, {}, [](const TcxEntryPoints& l, Numbers) { return ByteResult(l.IsOpenTARVEN()); }},
    {L"Command4", F::OpenRadio, {}, [](const TcxEntryPoints& l, Numbers) { return ByteResult(l.OpenRadio()); }},
    {L"Command5", F::CloseRadio, {}, [](const TcxEntryPoints& l, Numbers) { return ByteResult(l.CloseRadio()); }},
    {L"Command6", F::IsOpenRadio, {}, [](const TcxEntryPoints& l, Numbers) { return ByteResult(l.IsOpenRadio()); }},
    {L"Command9", F::SetChannelRadio, {L"txtParam1", L"txtChannel"},
     [](const TcxEntryPoints& l, Numbers n) { return ByteResult(l.SetChannelRadio(n[0], n[1])); }},
    {L"Command10", F::TiltUp, {}, [](const TcxEntryPoints& l, Numbers) { return ByteResult(l.TiltUp(0)); }},
    {L"Command11", F::TiltDown, {}, [](const TcxEntryPoints& l, Numbers) { return ByteResult(l.TiltDown(0)); }},
    {L"Command12", F::SetMonitorBrightness, {L"txtDay", L"txtNight"},
     [](const TcxEntryPoints& l, Numbers n) { return ByteResult(l.SetMonitorBrightness(n[0], n[1])); }},
    {L"Command13", F::GetFwVersion, {L"txtFWParam"},
     [](const TcxEntryPoints& l, Numbers) {
       unsigned char version[3] = {};
       return ByteResult(l.GetFwVersion(version));
     }},
    {L"Command14", F::GetDevStatus, {L"txtDevice"},
     [](const TcxEntryPoints& l, Numbers) {
       unsigned char status[3] = {};
       return ByteResult(l.GetDevStatus(status));
     }},
    {L"Command15", F::GetFMStereoState, {}, [](const TcxEntryPoints& l, Numbers) { return ByteResult(l.GetFMStereoState()); }},
    {L"Command16", F::GetChannelDetectState, {L"txtChannelDetect"},
     [](const TcxEntryPoints& l, Numbers n) { return ByteResult(l.GetChannelDetectState(n[0])); }},
};

}  // namespace

const ButtonAction* FindButtonAction(const wchar_t* button) {
  for (const ButtonAction& action : kButtonActions)
    if (std::wcscmp(action.button, button) == 0) return &action;
  return nullptr;
}
