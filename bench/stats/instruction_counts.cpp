#include "stats/instruction_counts.h"

#include <functional>
#include <limits>
#include <memory>

#include "panel/gauge_host.h"
#include "panel/module_records.h"
#include "record_layout.h"

namespace gb::stats {
namespace {

namespace layout = quandel::layout;
using panel::GaugeHost;

// Hand-counted minima on the Pentium instruction set (no cmov, no fucomi).
// Every service call needs: the table pointer loaded afresh from ImportTable
// (the host may change it between calls, and a call clobbers eax, ecx and
// edx), one push per argument (push imm32 or push [mem] is one instruction),
// and `call [reg + slot]`. A routine ends in `ret` or, with arguments,
// `ret N`. A handler must also clear eax for its result 0.
struct Minimum {
  uint64_t count;
  const char* reasoning;
};

// mov eax, 1 / ret 12
constexpr Minimum kEntry{2, "mov eax,1; ret 12"};
// ret
constexpr Minimum kHook{1, "ret"};
// mov eax,[table]; mov ecx,[GaugeHeader.elementList]; push [ecx]; call; ret
constexpr Minimum kQuery{5, "table, elementList, push [head], call, ret"};
// ElementListInstall: table, push argument, push [head], call (4);
// InitializeVar: table, push ArmFlagVar, call (3);
// MouseListInstall: mov eax,[image]; add eax,4; table; three pushes; call (7);
// MouseListRegister: table, two pushes, call (4); ret 4 (1).
constexpr Minimum kInstall{19, "4 calls: 4 + 3 + 7 (image + 4) + 4, ret 4"};
// table, push [head], call, ret
constexpr Minimum kOneHeadCall{4, "table, push [head], call, ret"};
// ElementListUpdate (3), LookupVar (3), ret
constexpr Minimum kUpdate{7, "2 calls of 3, ret"};
// table, push [esp+4], push [head], call, ret 4
constexpr Minimum kGenerate{5, "table, 2 pushes, call, ret 4"};
// MouseListUnregister: table, two pushes, call (4); ElementListKill (3); ret
constexpr Minimum kKill{8, "calls of 4 and 3, ret"};
// table, push 0, push event, call, xor eax,eax, ret 8
constexpr Minimum kArmToggle{6, "table, 2 pushes, call, xor, ret 8"};
// cmp dword [LeverDetent],4 / jae done / inc dword [LeverDetent] /
// mov eax,[LeverDetent] / table / push [DetentPositions+eax*4] / push event /
// call / done: xor eax,eax / ret 8.
constexpr Minimum kStep{10, "cmp, jcc, inc|dec [detent], reload, table, 2 pushes, call, xor, ret 8"};
constexpr Minimum kNoStep{4, "cmp [detent], jcc, xor, ret 8"};
// Stepping down is taken for detents 1 to 4 only (a detent past 4 must not
// index DetentPositions): a range test needs the detent in a register,
// mov eax,[detent] / dec eax / cmp eax,3 / ja done / mov [detent],eax /
// table / push [DetentPositions+eax*4] / push event / call / done: xor eax,eax / ret 8.
constexpr Minimum kStepDown{11, "load, dec, cmp 3, ja, store, table, 2 pushes, call, xor, ret 8"};
constexpr Minimum kNoStepDown{6, "load, dec, cmp 3, ja, xor, ret 8"};
// HandlePositionCallback, shortest routine found:
//   mov eax,[esp+4]            ; the ModuleVar
//   mov ecx,[eax+16]           ; high word of value
//   add ecx,ecx                ; drop the sign: -0.0 is 0.0
//   or  ecx,[eax+12]           ; and the low word
//   jnz position
//   cmp dword [ArmFlagVar+12],0           ; 1.0 has low word 0
//   jnz position
//   cmp dword [ArmFlagVar+16],0x3FF00000  ; and high word 0x3FF00000
//   jnz position
//   fld qword [ArmedMark]
//   ret 4
// position:
//   fld qword [eax+12]
//   ret 4
// An x87 test costs more on the Pentium: fld, ftst or fucom, fnstsw, sahf,
// and two branches (equal, then unordered).
constexpr Minimum kMoving{7, "argument, 3 to test for +-0.0, jnz, fld, ret 4"};
constexpr Minimum kStowedFlagLowWord{9, "7 + cmp/jnz on the flag's low word"};
constexpr Minimum kStowedNotArmed{11, "7 + cmp/jnz on both words of the flag"};
constexpr Minimum kArmed{11, "7 + both flag words, fld the mark"};

struct Counter {
  std::string path;
  std::vector<RoutineCount> rows;

  Result<std::unique_ptr<GaugeHost>> freshHost() const { return GaugeHost::load(path, {}); }

  void add(std::string routine, std::string situation, uint64_t counted, Minimum minimum) {
    rows.push_back({std::move(routine), std::move(situation), counted, minimum.count, minimum.reasoning});
  }

  // Runs `call` and records the module's instructions in it.
  Status measure(GaugeHost& host, std::string routine, std::string situation, Minimum minimum,
                 const std::function<Status()>& call) {
    if (Status s = call(); !s) return withContext(routine + " (" + situation + ")", s.error());
    add(std::move(routine), std::move(situation), host.lastInstructionCount(), minimum);
    return Ok{};
  }
};

struct Handlers {
  uint32_t armToggle = 0, stepUp = 0, stepDown = 0;
};

Result<Handlers> findHandlers(const GaugeHost& host) {
  Result<std::vector<panel::MouseAreaInfo>> areas = panel::decodeMouseAreas(host.machine(), host.mouseList());
  if (!areas) return areas.error();
  std::vector<uint32_t> handlers;
  for (const panel::MouseAreaInfo& area : *areas)
    if (area.kind == layout::kChild) handlers.push_back(area.handler);
  if (handlers.size() != 3) return Error{"the mouse list has " + std::to_string(handlers.size()) + " children, expected 3"};
  return Handlers{handlers[0], handlers[1], handlers[2]};
}

struct CallbackSite {
  uint32_t callback = 0;
  uint32_t variable = 0;
};

Result<CallbackSite> findCallback(const GaugeHost& host) {
  Result<panel::GaugeHeaderInfo> header = panel::decodeGaugeHeader(host.machine(), host.entryPoints().gaugeHeader);
  if (!header) return header.error();
  Result<std::vector<panel::ElementInfo>> chain = panel::decodeElementChain(host.machine(), header->head);
  if (!chain) return chain.error();
  for (const panel::ElementInfo& element : *chain)
    if (element.yAxis && element.yAxis->callback) return CallbackSite{element.yAxis->callback, element.yAxis->address};
  return Error{"no element of the chain names a value callback"};
}

Status countGaugeRoutines(Counter& c) {
  Result<std::unique_ptr<GaugeHost>> loaded = c.freshHost();
  if (!loaded) return loaded.error();
  GaugeHost& h = **loaded;
  const char* reasons[] = {"process detach", "process attach", "thread attach", "thread detach"};
  for (uint32_t reason = 0; reason < 4; ++reason)
    if (Status s = c.measure(h, "DllEntry", reasons[reason], kEntry,
                             [&]() -> Status {
                               Result<uint32_t> r = h.callEntry(reason);
                               if (!r) return r.error();
                               return Ok{};
                             });
        !s)
      return s;
  if (Status s = c.measure(h, "ModuleInit", "", kHook, [&] { return h.callInitHook(); }); !s) return s;
  if (Status s = c.measure(h, "ModuleDeinit", "", kHook, [&] { return h.callDeinitHook(); }); !s) return s;
  if (Status s = c.measure(h, "GaugeInstall", "", kInstall, [&] { return h.gaugeInstall(0); }); !s) return s;
  if (Status s = c.measure(h, "GaugeQuery", "", kQuery, [&] { return h.gaugeQuery(); }); !s) return s;
  if (Status s = c.measure(h, "GaugeInitialize", "", kOneHeadCall, [&] { return h.gaugeInitialize(); }); !s) return s;
  if (Status s = c.measure(h, "GaugeUpdate", "", kUpdate, [&] { return h.gaugeUpdate(); }); !s) return s;
  if (Status s = c.measure(h, "GaugeGenerate", "", kGenerate, [&] { return h.gaugeGenerate(0); }); !s) return s;
  if (Status s = c.measure(h, "GaugeDraw", "", kOneHeadCall, [&] { return h.gaugeDraw(); }); !s) return s;
  if (Status s = c.measure(h, "GaugeKill", "", kKill, [&] { return h.gaugeKill(); }); !s) return s;
  return Ok{};
}

// Each handler at each detent, on a fresh module stepped up to the detent.
Status countHandlers(Counter& c) {
  struct Which {
    const char* name;
    uint32_t Handlers::*address;
  };
  const Which which[] = {{"ArmToggle", &Handlers::armToggle},
                         {"LeverStepUp", &Handlers::stepUp},
                         {"LeverStepDown", &Handlers::stepDown}};
  for (const Which& w : which)
    for (uint32_t detent = 0; detent < 5; ++detent) {
      Result<std::unique_ptr<GaugeHost>> loaded = c.freshHost();
      if (!loaded) return loaded.error();
      GaugeHost& h = **loaded;
      if (Status s = h.gaugeInstall(0); !s) return s;
      Result<Handlers> handlers = findHandlers(h);
      if (!handlers) return handlers.error();
      for (uint32_t d = 0; d < detent; ++d)
        if (Result<uint32_t> r = h.callHandler("LeverStepUp", handlers->stepUp, 0, 0); !r) return r.error();
      Minimum minimum = kArmToggle;
      if (w.address == &Handlers::stepUp) minimum = detent < 4 ? kStep : kNoStep;
      if (w.address == &Handlers::stepDown) minimum = detent > 0 ? kStepDown : kNoStepDown;
      Status s = c.measure(h, w.name, "detent " + std::to_string(detent), minimum, [&]() -> Status {
        Result<uint32_t> r = h.callHandler(w.name, (*handlers).*(w.address), 0, 0);
        if (!r) return r.error();
        return Ok{};
      });
      if (!s) return s;
    }
  return Ok{};
}

Status countCallback(Counter& c) {
  struct Case {
    const char* situation;
    double position, flag;
    Minimum minimum;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"position 4096, flag 1", 4096.0, 1.0, kMoving},
      {"position 0.001, flag 1", 0.001, 1.0, kMoving},
      {"position 2500, flag 0", 2500.0, 0.0, kMoving},
      {"position NaN, flag 1", nan, 1.0, kMoving},
      {"position 0, flag 0", 0.0, 0.0, kStowedNotArmed},
      {"position 0, flag 0.5", 0.0, 0.5, kStowedNotArmed},
      {"position 0, flag 2", 0.0, 2.0, kStowedNotArmed},
      {"position 0, flag 1+2^-52", 0.0, 1.0000000000000002, kStowedFlagLowWord},
      {"position 0, flag 1 (armed)", 0.0, 1.0, kArmed},
      {"position -0, flag 1 (armed)", -0.0, 1.0, kArmed},
  };
  for (const Case& k : cases) {
    Result<std::unique_ptr<GaugeHost>> loaded = c.freshHost();
    if (!loaded) return loaded.error();
    GaugeHost& h = **loaded;
    h.setVariable(layout::kArmFlagVariable, k.flag);
    if (Status s = h.gaugeInstall(0); !s) return s;  // InitializeVar stores the flag
    Result<CallbackSite> site = findCallback(h);
    if (!site) return site.error();
    if (Status s = h.machine().writeF64(site->variable + layout::ModuleVar::value, k.position); !s) return s;
    Status s = c.measure(h, "HandlePositionCallback", k.situation, k.minimum, [&]() -> Status {
      Result<double> r = h.callValueCallback(site->callback, site->variable);
      if (!r) return r.error();
      return Ok{};
    });
    if (!s) return s;
  }
  return Ok{};
}

}  // namespace

Result<std::vector<RoutineCount>> countInstructions(const std::string& modulePath) {
  Counter counter{modulePath, {}};
  if (Status s = countGaugeRoutines(counter); !s) return s.error();
  if (Status s = countHandlers(counter); !s) return s.error();
  if (Status s = countCallback(counter); !s) return s.error();
  return std::move(counter.rows);
}

}  // namespace gb::stats
