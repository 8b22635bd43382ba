// An independent model of the command library: its state, and for every exported function
// what the call must return and do on the PC, step by step, in the words of CallTrace.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "CallTrace.h"
#include "TcxEntryPoints.h"

namespace model {

// The library's functions in the order of its function list, then its unload step.
enum class Function {
#define MODEL_FUNCTION(name, result, kind, failure, bytes, parameters, arguments) name,
  TCX_FUNCTIONS(MODEL_FUNCTION)
#undef MODEL_FUNCTION
  Unload,  // the library's unload step at process detach
};
constexpr int kFunctionCount = kTcxFunctionCount;  // the exported ones, before Unload

const char* Name(Function f);

struct Call {
  Function function;
  std::int32_t a = 0, b = 0;  // the 32-bit arguments, as many as the function takes
  bool nullBuffer = false;    // GetFwVersion, GetDevStatus: a null output pointer
};

// What the PC and the unit are like during a call: what the device library and IO.dll answer.
struct Surroundings {
  bool portAccessGranted = true;
  bool unitPresent = true;
  std::string modelId = "QX7C";
  bool devInfoFails = false, devStatusFails = false;
  std::uint8_t fwMajor = 1, fwSecond = 4, fwThird = 2;  // second and third 0-15
  std::uint32_t statusWord = 0;
  std::uint8_t flags = 0;
  int dayLevel = 0, nightLevel = 0;  // 0-15
};

// What a call must come to.
struct Expected {
  int result = 0;
  std::vector<std::string> steps;
  std::array<std::uint8_t, 3> buffer{};  // the output buffer afterwards
};

class ReferenceModel {
 public:
  // Hardware input (status frames on the bus, status register reads) comes from what the PC
  // actually answered during the call, in order; everything else is predicted. buffer is the
  // output buffer's content before the call.
  Expected Apply(const Call& call, const Surroundings& around, const CallTrace& answered,
                 std::array<std::uint8_t, 3> buffer);

  bool portIoReady = false;
  bool deviceOpen = false;
  bool unitOpen = false;
  bool radioOpen = false;
  std::uint8_t divisorLow = 0, divisorHigh = 0;

 private:
  struct Inputs {
    std::deque<StatusFrame> frames;
    std::deque<std::uint8_t> statusRegister;
  };
  StatusFrame NextFrame();
  void Emit(const std::string& step) { out_.steps.push_back(step); }
  void ConfigureSuperIo();
  void SendFrame(std::uint8_t address, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4);
  void OpenTARVEN(const Surroundings& around);
  void CloseTARVEN();
  void OpenRadio();
  void Tune(std::int32_t band, std::int32_t frequency);
  int ChannelCount(std::int32_t band);
  void Detect(std::int32_t band);

  Inputs in_;
  Expected out_;
};

}  // namespace model
