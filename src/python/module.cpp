// _wavecomp: the C++ half of the Python module wavecomp. It runs the stages
// of the programs on values handed over from Python and hands back plain
// values (numpy arrays, dicts, the checker's JSON text); the classes a user
// sees are in wavecomp/__init__.py.
//
// Every call that computes runs on a thread of its own while the calling
// thread waits without the GIL, looking at Python's signals now and then: a
// Ctrl-C asks the library's long loops to give up (core/cancellation.h) and
// the call ends in KeyboardInterrupt once they have.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "app/component_generation.h"
#include "app/run_driver.h"
#include "check/analysis/analysis.h"
#include "check/kernels/sea_surface.h"
#include "check/render/json_report.h"
#include "check/series_run.h"
#include "check/targets/component_file.h"
#include "check/targets/spectrum_file.h"
#include "core/cancellation.h"
#include "core/component_set.h"
#include "core/console.h"
#include "core/front_door.h"
#include "core/messages.h"
#include "core/run_stop.h"
#include "core/settings.h"
#include "core/spectrum_data.h"
#include "core/workspace.h"
#include "export/export_command.h"
#include "input/control_file.h"
#include "input/swan_file.h"
#include "input/swan_sea_state.h"
#include "output/component_file.h"
#include "output/component_records.h"
#include "output/multipoint_file.h"
#include "output/output_formats.h"
#include "synthesis/jonswap.h"
#include "synthesis/spreading.h"
#include "textio/errors.h"
#include "textio/format.h"
#include "textio/output_file.h"
#include "textio/records.h"

namespace py = pybind11;

namespace wavecomp::python {
namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// Text from files and messages as Python text: a byte that is not UTF-8
// (a Shift-JIS file name, a stray byte of a file) becomes U+FFFD.
py::str Text(const std::string& text) {
  return py::reinterpret_steal<py::str>(
      PyUnicode_DecodeUTF8(text.data(), static_cast<py::ssize_t>(text.size()), "replace"));
}

// How often the waiting thread looks at Python's signals.
constexpr auto kSignalInterval = std::chrono::milliseconds(50);

// What a computation said besides its result: its console lines (Shift-JIS
// bytes, as the program shows them) and its warnings, for Python to show
// when asked.
struct Said {
  Console console;
  std::vector<std::string> warnings;
  WarningSink Sink() {
    return [this](const std::string& warning) { warnings.push_back(warning); };
  }
};

// Runs `work` on a thread of its own, the GIL released, and returns its
// result or throws what it threw. A KeyboardInterrupt (or any exception a
// Python signal handler raises) while it runs asks it to give up; the call
// then waits for it and raises that exception.
template <class Result>
Result Interruptible(std::function<Result()> work) {
  struct State {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::optional<Result> result;
    std::exception_ptr error;
  };
  State state;
  const auto body = [&state, &work] {
    try {
      state.result.emplace(work());
    } catch (...) {
      state.error = std::current_exception();
    }
    const std::lock_guard<std::mutex> lock(state.mutex);
    state.done = true;
    state.finished.notify_all();
  };
  std::optional<std::thread> worker;
  {
    const py::gil_scoped_release release;
    try {
      worker.emplace(body);
    } catch (const std::system_error&) {
      body();  // no thread to be had: it runs here, and cannot be interrupted
    }
  }
  std::optional<py::error_already_set> interrupt;
  for (;;) {
    bool done = false;
    {
      const py::gil_scoped_release release;
      std::unique_lock<std::mutex> lock(state.mutex);
      done = state.finished.wait_for(lock, kSignalInterval, [&state] { return state.done; });
    }
    if (done) break;
    if (!interrupt && PyErr_CheckSignals() != 0) {
      interrupt.emplace();
      RequestCancellation();
    }
  }
  if (worker) {
    const py::gil_scoped_release release;
    worker->join();
  }
  if (interrupt) {
    ClearCancellation();
    throw std::move(*interrupt);
  }
  if (state.error) std::rethrow_exception(state.error);
  return std::move(*state.result);
}

// ---- the errors, as the classes of wavecomp/errors.py ----------------------

[[noreturn]] void Raise(const char* type, py::tuple arguments) {
  const py::object error = py::module_::import("wavecomp.errors").attr(type)(*arguments);
  PyErr_SetObject(error.get_type().ptr(), error.ptr());
  throw py::error_already_set();
}

// The message a program shows after "<program>: " for `error`, if it knows it.
std::optional<std::string> ProgramText(const std::exception_ptr& error) {
  try {
    return EndingOfError(error, "wavecomp").message;
  } catch (...) {
    return std::nullopt;
  }
}

void TranslateError(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const Cancelled&) {
    // Another thread's Ctrl-C stopped this computation too.
    PyErr_SetNone(PyExc_KeyboardInterrupt);
  } catch (const textio::InputError& input) {
    Raise(dynamic_cast<const textio::UnopenableFile*>(&input) ? "UnopenableFile" : "InputError",
          py::make_tuple(Text(*ProgramText(error)), Text(input.file()), input.line(), input.first_column(),
                         input.last_column(), Text(input.expected()), Text(input.found())));
  } catch (const textio::OutputExists& exists) {
    Raise("OutputExists", py::make_tuple(Text(*ProgramText(error)), Text(exists.path()), exists.error_number()));
  } catch (const textio::OutputError& output) {
    Raise("OutputError", py::make_tuple(Text(*ProgramText(error)), Text(output.path()), output.error_number()));
  } catch (const textio::MemoryShortage& shortage) {
    PyErr_SetString(PyExc_MemoryError, shortage.what());
  } catch (const check::UsageError& usage) {
    Raise("Refused", py::make_tuple(Text(usage.what())));
  } catch (const RunStop& stop) {
    // The console line of a stop is the program's own (Shift-JIS); its
    // explanation is what the user reads.
    const std::string text = ProgramText(error).value_or(stop.what());
    Raise(stop.kind() == RunStop::Kind::kBadInput ? "InputFailure" : "Refused",
          py::make_tuple(Text(text.empty() ? std::string(stop.text()) : text), py::bytes(stop.text())));
  } catch (const InputFailure& failure) {
    Raise("InputFailure", py::make_tuple(Text(failure.what())));
  } catch (const Refusal& refusal) {
    Raise("Refused", py::make_tuple(Text(refusal.what())));
  } catch (const OutputFailure& failure) {
    Raise("OutputError", py::make_tuple(Text(failure.what()), py::none(), 0));
  }
}

// ---- values between Python and the library ---------------------------------

std::vector<double> Vector(const Doubles& array, const char* name) {
  if (array.ndim() != 1) throw py::value_error(std::string(name) + " must be one-dimensional");
  return std::vector<double>(array.data(), array.data() + array.size());
}

Doubles Array(std::span<const double> values) { return Doubles(static_cast<py::ssize_t>(values.size()), values.data()); }

std::string TypeName(SpectrumType type) { return std::string(TrimmedField(SpectrumTypeField(type))); }

SpectrumType TypeOf(const std::string& name) {
  // A read multi-point file or Emep/Ene trailer does not say which of the two made it; they write alike.
  if (name == "Emep or Ene") return SpectrumType::kEmep;
  std::string field = name;
  if (field.size() < 4) field.resize(4, ' ');
  const std::optional<SpectrumType> type = ParseSpectrumType(field);
  if (!type) throw py::value_error("unknown spectrum type " + name + ": JNS, Sspe, Emep or Ene");
  return *type;
}

py::dict RunDict(const RunRecord& run) {
  py::dict record;
  record["type"] = TypeName(run.type);
  record["H13"] = run.H13;
  record["T13"] = run.T13;
  record["Dirc"] = run.Dirc;
  record["gamma"] = run.gamma;
  record["seed"] = run.seed;
  record["Smax"] = run.Smax;
  record["input_file"] = Text(run.input_file_name);
  return record;
}

// The value the file's fields show as asterisks, for what a read file held as asterisks.
template <class T>
T OrOverflow(const py::handle& value, T overflow) {
  return value.is_none() ? overflow : value.cast<T>();
}

RunRecord RunOf(const py::dict& record) {
  RunRecord run;
  run.type = TypeOf(record["type"].cast<std::string>());
  run.H13 = OrOverflow(record["H13"], 1.0e99);
  run.T13 = OrOverflow(record["T13"], 1.0e99);
  run.Dirc = OrOverflow(record["Dirc"], 1.0e99);
  run.gamma = OrOverflow(record["gamma"], 1.0e99);
  run.seed = OrOverflow<std::int32_t>(record["seed"], INT32_MAX);
  run.Smax = OrOverflow(record["Smax"], 1.0e99);
  run.input_file_name = record["input_file"].cast<std::string>();
  return run;
}

py::dict SetDict(const ComponentSet& set) {
  const auto N = static_cast<py::ssize_t>(set.component_count());
  const auto P = static_cast<py::ssize_t>(set.points.size());
  Doubles amplitude({P, N});
  std::vector<std::int32_t> numbers;
  for (py::ssize_t v = 0; v < P; ++v) {
    const ComponentSet::Point& point = set.points[static_cast<std::size_t>(v)];
    std::copy(point.amplitude.begin(), point.amplitude.end(), amplitude.mutable_data(v, 0));
    numbers.push_back(point.number);
  }
  py::dict values;
  values["frequency"] = Array(set.frequency);
  values["amplitude"] = amplitude;
  values["direction"] = Array(set.direction);
  values["phase"] = Array(set.phase);
  values["point_numbers"] = py::array_t<std::int32_t>(P, numbers.data());
  values["run"] = RunDict(set.run);
  return values;
}

// The set of the arrays of a Python ComponentSet, its values checked as the
// stage that makes a set checks them.
ComponentSet SetOf(const Doubles& frequency, const Doubles& amplitude, const Doubles& direction, const Doubles& phase,
                   const std::vector<int>& point_numbers, const py::dict& run) {
  ComponentSet set;
  set.frequency = Vector(frequency, "frequency");
  set.direction = Vector(direction, "direction");
  set.phase = Vector(phase, "phase");
  const std::size_t N = set.frequency.size();
  if (set.direction.size() != N || set.phase.size() != N)
    throw py::value_error("frequency, direction and phase must have the same length");
  if (amplitude.ndim() != 2 || static_cast<std::size_t>(amplitude.shape(1)) != N ||
      static_cast<std::size_t>(amplitude.shape(0)) != point_numbers.size() || point_numbers.empty())
    throw py::value_error("amplitude must have one row of N values for every point");
  set.run = RunOf(run);
  for (std::size_t v = 0; v < point_numbers.size(); ++v) {
    const double* row = amplitude.data(static_cast<py::ssize_t>(v), 0);
    ComponentSet::Point point;
    point.number = point_numbers[v];
    point.amplitude.assign(row, row + N);
    set.points.push_back(std::move(point));
    for (std::size_t i = 0; i < N; ++i) {
      const NonFiniteField field = FirstNonFinite(set.frequency[i], row[i], set.direction[i], set.phase[i]);
      if (field != NonFiniteField::kNone) {
        StopOnNonFiniteComponent(static_cast<int>(i) + 1, field, point_numbers.size() > 1 ? static_cast<int>(v) + 1 : 0,
                                 point_numbers[v], false, 0.0);
      }
    }
  }
  return set;
}

// Lays `set` out as its component wave file `path` and publishes it, never
// over an existing file.
void WriteSet(const ComponentSet& set, const std::string& path) {
  textio::OutputSet outputs;
  textio::OutputFile file = outputs.Create(path, textio::Publication::kNew);
  if (set.points.size() > 1) {
    WriteMultiPointComponentFile(std::move(file), set, outputs);
  } else {
    WriteComponentFile(std::move(file), set, outputs);
  }
  outputs.PublishAll();
}

// ---- the calls ---------------------------------------------------------------

// The run of `control` on `data` up to its ComponentSet, as RunWavecomp
// makes it between its reader and its writer; the program's settings echo
// first, for echo=True.
ComponentSet Generate(const ControlSettings& control, const SpectrumData& data, bool spectrum_file, Said& said) {
  EchoSettings(control, said.console);
  said.console.WriteLine(textio::ListLine().Text(messages::kVersion).str());
  WorkspacePtr ws = MakeWorkspace();
  textio::OutputSet outputs(spectrum_file ? textio::Publishing::kAtEnd : textio::Publishing::kNever);
  ComponentSet set = GenerateComponentSet(control, data, *ws, said.console, outputs, said.Sink());
  outputs.PublishAll();
  return set;
}

// Settings of a run of `type` whose spectrum comes from memory: cont.txt's
// values that the run records or uses.
ControlSettings MemorySettings(SpectrumType type, int n, std::int32_t seed, double Smax, const std::string& name) {
  if (n < 1 || n > kMaxUsedComponents) {
    throw Refusal("the component count n is " + std::to_string(n) +
                  "; n must be 1 to 1024, since a run without components would make no components");
  }
  ControlSettings control;
  control.type = type;
  control.component_count = n;
  control.random_seed = seed;
  control.Smax = Smax;
  control.input_file_field = name.substr(0, kFileNameLength);
  control.input_file_field.resize(kFileNameLength, ' ');
  control.output_file_field = std::string(kFileNameLength, ' ');
  control.fmin = kFminOffset;
  return control;
}

struct JonswapRequest {
  std::optional<double> hs, h13, tp, t13;
  double gamma = 3.3, smax = 10.0, fmin = 0.01, fmax = 1.0, direction = 0.0;
  int n = 256;
  std::int32_t seed = 4711;
  bool spectrum_file = false;
};

// T1/3 of a peak period: the relation the JONSWAP shape uses the other way round.
double T13OfPeakPeriod(double Tp, double gamma) { return Tp * (1.0 - 0.132 * std::pow(gamma + 0.2, -0.559)); }

// H1/3 whose spectrum has Hm0 = 4 sqrt(m0) = `hs` over 0 Hz to infinity.
double H13OfHm0(double hs, double T13, double gamma) {
  return hs / (4.0 * std::sqrt(JonswapTotalEnergy(JonswapShape::From(1.0, T13, gamma))));
}

// The settings a cont.txt of these values gives, as ReadControlFile makes them.
ControlSettings JonswapSettings(const JonswapRequest& request) {
  if (request.h13.has_value() == request.hs.has_value()) throw py::value_error("give either hs or h13");
  if (request.t13.has_value() == request.tp.has_value()) throw py::value_error("give either tp or t13");
  ControlSettings control = MemorySettings(SpectrumType::kJonswap, request.n, request.seed, request.smax, "");
  control.gamma = request.gamma;
  control.T13 = request.t13 ? *request.t13 : T13OfPeakPeriod(*request.tp, request.gamma);
  control.H13 = request.h13 ? *request.h13 : H13OfHm0(*request.hs, control.T13, request.gamma);
  control.Dirc = request.direction;
  control.fmin = request.fmin + kFminOffset;
  control.fmax = request.fmax;
  return control;
}

py::dict WithSaid(py::dict values, const Said& said) {
  values["console"] = py::bytes(said.console.captured());
  py::list warnings;
  for (const std::string& warning : said.warnings) warnings.append(Text(warning));
  values["warnings"] = warnings;
  return values;
}

// The set of a run on a spectrum made in memory, with what it said. What
// the chain refuses of such a value (std::invalid_argument: a table that
// falls, a value the workspace cannot hold) is a refusal, as a file's is.
py::dict GeneratedSet(const ControlSettings& control, const SpectrumData& data, bool spectrum_file) {
  Said said;
  const ComponentSet set = Interruptible<ComponentSet>([&] {
    try {
      return Generate(control, data, spectrum_file, said);
    } catch (const std::invalid_argument& error) {
      throw Refusal(error.what());
    }
  });
  return WithSaid(SetDict(set), said);
}

py::dict Jonswap(const JonswapRequest& request) {
  const ControlSettings control = JonswapSettings(request);
  const SpectrumData nothing;  // JNS synthesises its spectrum from the settings
  return GeneratedSet(control, nothing, request.spectrum_file);
}

// An Sspe run on a frequency table: `header` takes the place of the table
// file's first line (H1/3, T1/3, Dirc.).
py::dict FromTable(const Doubles& frequency, const Doubles& density, const SpectrumFileHeader& header, double Smax,
                   int n, std::int32_t seed, const std::string& name) {
  const ControlSettings control = MemorySettings(SpectrumType::kSspe, n, seed, Smax, name);
  SpectrumData data;
  data.input = SpectrumInput::kFrequencyTable;
  data.header = header;
  SpectrumPoint point;
  point.frequencies = Vector(frequency, "frequency");
  point.density = Vector(density, "density");
  if (point.frequencies.size() != point.density.size())
    throw py::value_error("frequency and density must have the same length");
  data.AddPoint(std::move(point));
  return GeneratedSet(control, data, false);
}

// An Emep run on directional spectra: efth (points, frequencies, directions)
// in m^2/(Hz deg), S(f) of every point in `density` (points, frequencies),
// directions in degrees of the model's frame (going to, from the boundary
// normal) or, with `frame`, nautical degrees (coming from) turned into it
// once here. The columns go in rising model direction within (-180, 180].
py::dict FromDirectional(const Doubles& frequency, const Doubles& direction, const Doubles& efth,
                         const Doubles& density, const std::vector<int>& point_numbers,
                         const std::optional<swan::ModelFrame>& frame, const RunRecord& record, int n,
                         std::int32_t seed, const std::string& name) {
  const std::vector<double> f = Vector(frequency, "frequency");
  std::vector<double> theta = Vector(direction, "direction");
  const std::size_t nf = f.size(), nd = theta.size(), P = point_numbers.size();
  if (efth.ndim() != 3 || static_cast<std::size_t>(efth.shape(0)) != P ||
      static_cast<std::size_t>(efth.shape(1)) != nf || static_cast<std::size_t>(efth.shape(2)) != nd)
    throw py::value_error("efth must be (points, frequencies, directions)");
  if (density.ndim() != 2 || static_cast<std::size_t>(density.shape(0)) != P ||
      static_cast<std::size_t>(density.shape(1)) != nf)
    throw py::value_error("density must be (points, frequencies)");
  for (double& angle : theta) {
    angle = swan::WrapDegrees(frame ? swan::ModelDirection(*frame, angle, swan::DirectionConvention::kNautical) : angle);
  }
  std::vector<std::size_t> order(nd);
  for (std::size_t j = 0; j < nd; ++j) order[j] = j;
  std::stable_sort(order.begin(), order.end(), [&theta](std::size_t a, std::size_t b) { return theta[a] < theta[b]; });
  ControlSettings control = MemorySettings(SpectrumType::kEmep, n, seed, kUnspreadSmax, name);
  control.H13 = record.H13;
  control.T13 = record.T13;
  control.Dirc = record.Dirc;
  SpectrumData data;
  data.input = SpectrumInput::kDirectionalPoints;
  std::vector<double> sorted(nd);
  for (std::size_t j = 0; j < nd; ++j) sorted[j] = theta[order[j]];
  std::vector<double> table(nd * nf);
  for (std::size_t v = 0; v < P; ++v) {
    SpectrumPoint point;
    point.number = P > 1 ? point_numbers[v] : 0;
    point.frequencies = f;
    point.density.assign(density.data(static_cast<py::ssize_t>(v), 0), density.data(static_cast<py::ssize_t>(v), 0) + nf);
    point.directions = sorted;
    const double* values = efth.data(static_cast<py::ssize_t>(v), 0, 0);
    for (std::size_t j = 0; j < nd; ++j) {
      for (std::size_t l = 0; l < nf; ++l) table[j * nf + l] = values[l * nd + order[j]];
    }
    try {
      data.AddPoint(std::move(point), table);
    } catch (const std::invalid_argument& error) {
      throw py::value_error(error.what());
    }
  }
  return GeneratedSet(control, data, false);
}

// An Ene run on energy-balance model spectra: the energy E (points,
// frequencies, directions) in m^2 of each frequency band and direction bin,
// the bands' widths (Hz), directions in degrees of the model's frame, every
// point's number and second key, as the model's output file gives them.
py::dict FromEnergyBalance(const Doubles& frequency, const Doubles& bandwidth, const Doubles& direction,
                           const Doubles& energy, const std::vector<int>& point_numbers, const std::vector<int>& keys,
                           const RunRecord& record, int n, std::int32_t seed, const std::string& name) {
  const std::vector<double> f = Vector(frequency, "frequency");
  const std::vector<double> theta = Vector(direction, "direction");
  const std::size_t nf = f.size(), nd = theta.size(), P = point_numbers.size();
  if (energy.ndim() != 3 || static_cast<std::size_t>(energy.shape(0)) != P ||
      static_cast<std::size_t>(energy.shape(1)) != nf || static_cast<std::size_t>(energy.shape(2)) != nd ||
      keys.size() != P)
    throw py::value_error("energy must be (points, frequencies, directions), with a number and a key per point");
  ControlSettings control = MemorySettings(SpectrumType::kEne, n, seed, kUnspreadSmax, name);
  control.H13 = record.H13;
  control.T13 = record.T13;
  control.Dirc = record.Dirc;
  SpectrumData data;
  data.input = SpectrumInput::kEnergyBalancePoints;
  data.frequencies = f;
  data.bandwidths = Vector(bandwidth, "bandwidth");
  if (data.bandwidths.size() != nf) throw py::value_error("frequency and bandwidth must have the same length");
  std::vector<double> table(nd * nf);
  for (std::size_t v = 0; v < P; ++v) {
    SpectrumPoint point;
    point.number = P > 1 ? point_numbers[v] : 0;
    point.key = P > 1 ? keys[v] : 0;
    point.directions = theta;
    const double* values = energy.data(static_cast<py::ssize_t>(v), 0, 0);
    for (std::size_t j = 0; j < nd; ++j) {
      for (std::size_t l = 0; l < nf; ++l) table[j * nf + l] = values[l * nd + j];
    }
    try {
      data.AddPoint(std::move(point), table);
    } catch (const std::invalid_argument& error) {
      throw py::value_error(error.what());
    }
  }
  return GeneratedSet(control, data, false);
}

std::string RunTypeOf(const ComponentFileContents& file) {
  // A multi-point file is an Emep or Ene run's: only they have points.
  if (file.layout == FileLayout::kMultiPoint || !file.trailer) return std::string(TrailerTypeName(TrailerKind::kEmepOrEne));
  return std::string(TrailerTypeName(file.trailer->kind));
}

template <class T>
py::object Maybe(const std::optional<T>& value) {
  return value ? py::cast(*value) : py::none();
}

py::dict Read(const std::string& path) {
  const ComponentFileContents file = Interruptible<ComponentFileContents>([&path] {
    const std::optional<textio::TextFile> text = textio::TextFile::Open(path);
    if (!text) throw textio::UnopenableFile("component file", path);
    return ReadComponentFile(*text);
  });
  // The reader keeps the first point's lists for the set; a later point that
  // lists others (or another count) carries its own.
  const ComponentSet& set = file.set;
  for (const ComponentSet::Point& point : set.points) {
    const bool differs = set.component_count() > 0 ? point.has_own_values() : !point.amplitude.empty();
    if (differs) {
      throw InputFailure(path + ": point " + std::to_string(point.number) +
                         " has other frequencies, directions or phases than point " +
                         std::to_string(set.points.front().number) +
                         ", which a component set shares between its points");
    }
  }
  py::dict run;
  run["type"] = RunTypeOf(file);
  const ComponentFileTrailer* trailer = file.trailer ? &*file.trailer : nullptr;
  run["H13"] = trailer ? py::cast(trailer->H13) : py::cast(0.0);
  run["T13"] = trailer ? py::cast(trailer->T13) : py::cast(0.0);
  run["Dirc"] = trailer ? py::cast(trailer->Dirc) : py::cast(0.0);
  run["gamma"] = trailer && trailer->kind == TrailerKind::kJonswap ? Maybe(trailer->gamma) : py::cast(0.0);
  run["seed"] = trailer && trailer->kind == TrailerKind::kJonswap ? Maybe(trailer->seed) : py::cast(0);
  run["Smax"] = trailer && trailer->has_smax ? Maybe(trailer->Smax) : py::cast(0.0);
  run["input_file"] = Text(trailer ? trailer->input_file : std::string());
  // The trailer as the file shows it (a field of asterisks is None), not the
  // run record the reader derives from it.
  py::dict values = SetDict(set);
  values["run"] = run;
  return values;
}

void Write(const Doubles& frequency, const Doubles& amplitude, const Doubles& direction, const Doubles& phase,
           const std::vector<int>& point_numbers, const py::dict& run, const std::string& path) {
  const ComponentSet set = SetOf(frequency, amplitude, direction, phase, point_numbers, run);
  Interruptible<bool>([&] {
    WriteSet(set, path);
    return true;
  });
}

// A folder of our own for a set written to be read back, removed with what it holds.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    std::string pattern = (base / "wavecomp-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw textio::OutputError("cannot create a scratch folder in", base.string(), errno);
    }
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The set as the file it writes reads back: its values as the file rounds
// them, its headers and trailer as a program reading that file sees them.
ComponentFileContents AsWritten(const ComponentSet& set) {
  const ScratchFolder folder;
  const std::string path = folder.File("components.dat");
  WriteSet(set, path);
  const std::optional<textio::TextFile> text = textio::TextFile::Open(path);
  if (!text) throw textio::UnopenableFile("component file", path);
  return ReadComponentFile(*text);
}

struct CheckRequest {
  std::string name;  // what the report calls the file
  std::optional<std::string> spectrum;
  check::TargetRequest swan;
  check::SeriesRequest series;
};

// The checker's report of `set` as `wavecomp-check --json` gives it for the
// file the set writes.
std::string CheckSet(const ComponentSet& set, const CheckRequest& request) {
  check::ComponentFile file(AsWritten(set));
  file.name = request.name;
  std::optional<check::TargetSpectra> target;
  if (request.spectrum) {
    check::TargetRequest swan = request.swan;
    if (file.layout == FileLayout::kMultiPoint) {
      for (const check::PointComponents& point : file.points) swan.point_numbers.push_back(point.point_number);
    }
    try {
      target = check::ReadTargetSpectra(*request.spectrum, swan);
    } catch (const RunStop& stop) {
      // wavecomp's own readers refused the spectrum file as a run would.
      const std::string why = !stop.explanation().empty() ? stop.explanation() : std::string(stop.text());
      throw InputFailure(*request.spectrum + ": " + why.substr(std::min(why.find_first_not_of(' '), why.size())));
    }
  }
  check::CheckResult result = check::Analyse(std::move(file), std::move(target));
  if (request.series.enabled) check::AddSeriesCheck(result, request.series, false, {});
  return check::JsonReport(result, std::nullopt);
}

std::string Check(const Doubles& frequency, const Doubles& amplitude, const Doubles& direction, const Doubles& phase,
                  const std::vector<int>& point_numbers, const py::dict& run, const CheckRequest& request) {
  const ComponentSet set = SetOf(frequency, amplitude, direction, phase, point_numbers, run);
  return Interruptible<std::string>([&] { return CheckSet(set, request); });
}

// The set exported as wavecomp-export exports the file the set writes: the
// file is read back so that what the headers and the trailer show of it is
// exactly what the program would take from it. Returns the paths written
// and the warnings the program would show.
py::dict Export(const Doubles& frequency, const Doubles& amplitude, const Doubles& direction, const Doubles& phase,
                const std::vector<int>& point_numbers, const py::dict& run, exporter::ExportRequest request) {
  const ComponentSet set = SetOf(frequency, amplitude, direction, phase, point_numbers, run);
  const exporter::ExportReport report = Interruptible<exporter::ExportReport>([&] {
    return exporter::ExportContents(request, AsWritten(set), [](const exporter::ExportReport&) {});
  });
  py::list paths;
  for (const exporter::ExportedFile& file : report.files) paths.append(Text(file.path));
  py::list warnings;
  for (const std::string& warning : report.warnings) warnings.append(Text(warning));
  py::dict values;
  values["paths"] = paths;
  values["warnings"] = warnings;
  return values;
}

// eta(t) of every point by direct summation, rows of points.
Doubles Surface(const Doubles& frequency, const Doubles& amplitude, const Doubles& phase, const Doubles& times) {
  const std::vector<double> f = Vector(frequency, "frequency");
  const std::vector<double> p = Vector(phase, "phase");
  const std::vector<double> t = Vector(times, "t");
  if (amplitude.ndim() != 2 || static_cast<std::size_t>(amplitude.shape(1)) != f.size() || p.size() != f.size())
    throw py::value_error("amplitude must have one row of N values for every point");
  const py::ssize_t P = amplitude.shape(0);
  const auto T = static_cast<py::ssize_t>(t.size());
  Doubles eta({P, T});
  double* out = eta.mutable_data();
  const double* a = amplitude.data();
  const std::size_t N = f.size();
  Interruptible<bool>([&] {
    constexpr std::size_t kTimesBetweenLooks = 256;
    for (py::ssize_t v = 0; v < P; ++v) {
      const std::span<const double> row(a + static_cast<std::size_t>(v) * N, N);
      for (std::size_t k = 0; k < t.size(); ++k) {
        if (k % kTimesBetweenLooks == 0) ThrowIfCancelled();
        out[static_cast<std::size_t>(v) * t.size() + k] = check::DirectElevation(f, row, p, t[k]);
      }
    }
    return true;
  });
  return eta;
}

}  // namespace
}  // namespace wavecomp::python

PYBIND11_MODULE(_wavecomp, module) {
  namespace wp = wavecomp::python;
  module.doc() = "The C++ half of wavecomp: the stages of the programs on values from Python.";
  py::register_exception_translator(&wp::TranslateError);
  module.attr("MAX_COMPONENTS") = wavecomp::kMaxUsedComponents;
  module.attr("VERSION") = std::string(wavecomp::messages::kVersion);

  module.def(
      "jonswap",
      [](std::optional<double> hs, std::optional<double> h13, std::optional<double> tp, std::optional<double> t13,
         double gamma, double smax, int n, std::int32_t seed, double fmin, double fmax, double direction,
         bool spectrum_file) {
        return wp::Jonswap({hs, h13, tp, t13, gamma, smax, fmin, fmax, direction, n, seed, spectrum_file});
      },
      py::kw_only(), py::arg("hs") = py::none(), py::arg("h13") = py::none(), py::arg("tp") = py::none(),
      py::arg("t13") = py::none(), py::arg("gamma"), py::arg("smax"), py::arg("n"), py::arg("seed"), py::arg("fmin"),
      py::arg("fmax"), py::arg("direction"), py::arg("spectrum_file"));
  module.def(
      "from_table",
      [](const wp::Doubles& frequency, const wp::Doubles& density, double h13, double t13, double direction,
         double smax, int n, std::int32_t seed, const std::string& name) {
        return wp::FromTable(frequency, density, {h13, t13, direction}, smax, n, seed, name);
      },
      py::arg("frequency"), py::arg("density"), py::kw_only(), py::arg("h13"), py::arg("t13"), py::arg("direction"),
      py::arg("smax"), py::arg("n"), py::arg("seed"), py::arg("name"));
  module.def(
      "from_directional",
      [](const wp::Doubles& frequency, const wp::Doubles& direction, const wp::Doubles& efth,
         const wp::Doubles& density, const std::vector<int>& point_numbers, std::optional<double> normal_from,
         bool clockwise, double h13, double t13, double dirc, int n, std::int32_t seed, const std::string& name) {
        std::optional<wavecomp::swan::ModelFrame> frame;
        if (normal_from) frame = wavecomp::swan::ModelFrame{*normal_from, clockwise};
        wavecomp::RunRecord record;
        record.H13 = h13;
        record.T13 = t13;
        record.Dirc = dirc;
        return wp::FromDirectional(frequency, direction, efth, density, point_numbers, frame, record, n, seed, name);
      },
      py::arg("frequency"), py::arg("direction"), py::arg("efth"), py::arg("density"), py::arg("point_numbers"),
      py::kw_only(), py::arg("normal_from"), py::arg("clockwise"), py::arg("h13"), py::arg("t13"),
      py::arg("dirc"), py::arg("n"), py::arg("seed"), py::arg("name"));
  module.def(
      "from_energy_balance",
      [](const wp::Doubles& frequency, const wp::Doubles& bandwidth, const wp::Doubles& direction,
         const wp::Doubles& energy, const std::vector<int>& point_numbers, const std::vector<int>& keys, double h13,
         double t13, double dirc, int n, std::int32_t seed, const std::string& name) {
        wavecomp::RunRecord record;
        record.H13 = h13;
        record.T13 = t13;
        record.Dirc = dirc;
        return wp::FromEnergyBalance(frequency, bandwidth, direction, energy, point_numbers, keys, record, n, seed,
                                     name);
      },
      py::arg("frequency"), py::arg("bandwidth"), py::arg("direction"), py::arg("energy"), py::arg("point_numbers"),
      py::arg("keys"), py::kw_only(), py::arg("h13"), py::arg("t13"), py::arg("dirc"), py::arg("n"), py::arg("seed"),
      py::arg("name"));
  module.def("read", &wp::Read, py::arg("path"));
  module.def("write", &wp::Write, py::arg("frequency"), py::arg("amplitude"), py::arg("direction"), py::arg("phase"),
             py::arg("point_numbers"), py::arg("run"), py::arg("path"));
  module.def(
      "check",
      [](const wp::Doubles& frequency, const wp::Doubles& amplitude, const wp::Doubles& direction,
         const wp::Doubles& phase, const std::vector<int>& point_numbers, const py::dict& run, std::string name,
         std::optional<std::string> spectrum, std::optional<double> normal_from, bool clockwise,
         std::optional<std::string> time, std::optional<std::int64_t> location, std::optional<std::string> offshore,
         bool series, std::optional<double> duration, std::optional<double> dt) {
        wp::CheckRequest request;
        request.name = std::move(name);
        request.spectrum = std::move(spectrum);
        request.swan.normal_from = normal_from;
        request.swan.clockwise = clockwise;
        request.swan.time = std::move(time);
        request.swan.location = location;
        if (offshore) {
          request.swan.offshore = wavecomp::swan::ParseOffshore(*offshore);
          if (!request.swan.offshore) throw py::value_error("offshore must be \"drop\" or \"keep\"");
        }
        if (request.swan.SwanOptionsGiven() && !request.spectrum)
          throw py::value_error("normal_from, clockwise, time, location and offshore go with a SWAN spectrum file");
        request.series.enabled = series;
        request.series.duration_s = duration;
        request.series.dt_s = dt;
        return wp::Check(frequency, amplitude, direction, phase, point_numbers, run, request);
      },
      py::arg("frequency"), py::arg("amplitude"), py::arg("direction"), py::arg("phase"), py::arg("point_numbers"),
      py::arg("run"), py::arg("name"), py::arg("spectrum"), py::arg("normal_from"), py::arg("clockwise"),
      py::arg("time"), py::arg("location"), py::arg("offshore"), py::arg("series"), py::arg("duration"),
      py::arg("dt"));
  module.def(
      "export",
      [](const wp::Doubles& frequency, const wp::Doubles& amplitude, const wp::Doubles& direction,
         const wp::Doubles& phase, const std::vector<int>& point_numbers, const py::dict& run, std::string format,
         std::string path, std::string source, std::optional<int> point, bool all_points, std::optional<double> depth) {
        wavecomp::exporter::ExportRequest request;
        request.format = std::move(format);
        request.component_file = std::move(source);
        request.out = std::move(path);
        request.point = point;
        request.all_points = all_points;
        request.depth_m = depth;
        return wp::Export(frequency, amplitude, direction, phase, point_numbers, run, std::move(request));
      },
      py::arg("frequency"), py::arg("amplitude"), py::arg("direction"), py::arg("phase"), py::arg("point_numbers"),
      py::arg("run"), py::arg("format"), py::arg("path"), py::arg("source"), py::arg("point"), py::arg("all_points"),
      py::arg("depth"));
  module.def("surface", &wp::Surface, py::arg("frequency"), py::arg("amplitude"), py::arg("phase"), py::arg("t"));
}
