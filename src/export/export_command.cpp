#include "export/export_command.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <exception>
#include <functional>
#include <thread>
#include <nlohmann/json.hpp>
#include <utility>

#include "core/front_door.h"
#include "output/component_file_reader.h"
#include "textio/errors.h"
#include "textio/output_file.h"
#include "textio/records.h"

namespace wavecomp::exporter {
namespace {

// The points to export (0-based), as the request chooses them.
std::vector<std::size_t> ChosenPoints(const ExportRequest& request, const ComponentFileContents& file) {
  const std::size_t count = file.headers.size();
  if (request.all_points) {
    std::vector<std::size_t> all(count);
    for (std::size_t v = 0; v < count; ++v) all[v] = v;
    return all;
  }
  if (!request.point) {
    if (count == 1) return {0};
    throw Refusal(request.component_file + " holds " + std::to_string(count) +
                  " points, and a file of " + std::string(FindOutputFormat(request.format)->model) +
                  " holds one: choose one with --point K or write one file per point with --all-points");
  }
  for (std::size_t v = 0; v < count; ++v) {
    if (file.headers[v].point_number == *request.point) return {v};
  }
  const std::string numbers = count == 1 ? "its one point is " + std::to_string(file.headers[0].point_number)
                                         : "its points are numbered " +
                                               std::to_string(file.headers.front().point_number) + " to " +
                                               std::to_string(file.headers.back().point_number);
  throw Refusal("there is no point " + std::to_string(*request.point) + " in " + request.component_file + ": " +
                numbers);
}

// Files flushed to disk together, one thread each. Each holds its text in
// memory until then (about 100 kB for 1024 components: 25 MB a batch).
constexpr std::size_t kFlushedTogether = 256;

bool NameExists(const std::string& path) {
  std::error_code error;
  // A dangling symbolic link counts: creating through it would write elsewhere.
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// The row of the request's format, its settings checked.
const OutputFormat& CheckedFormat(const ExportRequest& request) {
  const OutputFormat* format = FindOutputFormat(request.format);
  if (format == nullptr) {
    throw Refusal("unknown format \"" + request.format + "\": one of " + OutputFormatNames());
  }
  if (request.depth_m && !(*request.depth_m > 0.0 && std::isfinite(*request.depth_m))) {
    throw Refusal("--depth takes a water depth in metres above 0");
  }
  return *format;
}

}  // namespace

ExportReport RunExport(const ExportRequest& request, const std::function<void(const ExportReport&)>& show) {
  CheckedFormat(request);  // before the file is read: a wrong command line is said first
  const std::optional<textio::TextFile> text = textio::TextFile::Open(request.component_file);
  if (!text) throw textio::UnopenableFile("component file", request.component_file);
  return ExportContents(request, ReadComponentFile(*text), show);
}

ExportReport ExportContents(const ExportRequest& request, const ComponentFileContents& file,
                            const std::function<void(const ExportReport&)>& show) {
  ExportReport report;
  report.format = &CheckedFormat(request);
  report.source = request.component_file;
  const std::vector<std::size_t> points = ChosenPoints(request, file);

  // A warning is said once, with the number of points it holds for.
  std::vector<std::pair<std::string, std::size_t>> warnings;
  for (std::size_t v : points) {
    if (std::optional<std::string> refusal = ExportRefusal(*report.format, file.set, v)) throw Refusal(*refusal);
    if (std::optional<std::string> warning = ExportWarning(*report.format, file.set, v)) {
      const auto same = [&warning](const auto& said) { return said.first == *warning; };
      const auto said = std::find_if(warnings.begin(), warnings.end(), same);
      if (said == warnings.end()) {
        warnings.emplace_back(*std::move(warning), 1);
      } else {
        ++said->second;
      }
    }
  }
  for (const auto& [warning, count] : warnings) {
    report.warnings.push_back(warning + (points.size() > 1 ? " (" + std::to_string(count) + " of the " +
                                                                 std::to_string(points.size()) + " points)"
                                                           : ""));
  }
  std::vector<std::string> paths;
  for (std::size_t v : points) {
    paths.push_back(request.all_points ? request.out + "_P" + std::to_string(file.headers[v].point_number)
                                       : request.out);
  }
  for (const std::string& path : paths) {
    if (NameExists(path)) {
      throw Refusal("the output file " + path + " exists already; it is never overwritten (nothing was written)");
    }
  }

  textio::OutputSet outputs;
  outputs.Reads(request.component_file);
  ExportSettings settings;
  settings.source = request.component_file;
  settings.depth_m = request.depth_m;
  settings.trailer = file.trailer ? &*file.trailer : nullptr;
  // Each file is flushed to disk before the set publishes it, and one sync
  // after another costs about 2 ms each: the files of a batch are written
  // one after another, then flushed together, one thread each, so that the
  // file system commits their syncs at once (--all-points over 2048 points
  // of 1024 components: 9.3 s one by one, 3.0-3.4 s in batches of 256, on
  // a busy 2-core machine).
  std::vector<textio::OutputFile> batch;
  const auto flush_batch = [&] {
    std::vector<std::exception_ptr> errors(batch.size());
    {
      std::vector<std::jthread> threads;
      threads.reserve(batch.size());
      for (std::size_t k = 0; k < batch.size(); ++k) {
        threads.emplace_back([&, k] {
          try {
            batch[k].Finish();
          } catch (...) {
            errors[k] = std::current_exception();
          }
        });
      }
    }
    for (const std::exception_ptr& error : errors) {
      if (error) std::rethrow_exception(error);
    }
    for (textio::OutputFile& finished : batch) outputs.Add(std::move(finished));
    batch.clear();
  };
  for (std::size_t k = 0; k < points.size(); ++k) {
    textio::OutputFile out = [&] {
      try {
        return outputs.Create(paths[k], textio::Publication::kNew);
      } catch (const textio::OutputExists&) {
        throw Refusal("the output file " + paths[k] +
                      " appeared meanwhile; it is never overwritten (nothing was written)");
      }
    }();
    settings.point_number = file.headers[points[k]].point_number;
    report.format->write(out, file.set, points[k], settings);
    batch.push_back(std::move(out));
    if (batch.size() == kFlushedTogether) flush_batch();
    report.files.push_back({paths[k], file.headers[points[k]].point_number,
                            file.set.points[points[k]].amplitude.size()});
  }
  flush_batch();
  show(report);
  try {
    outputs.PublishAll();
  } catch (const textio::OutputExists& taken) {
    throw Refusal("the output file " + taken.path() +
                  " appeared meanwhile; it is never overwritten (nothing was written)");
  }
  return report;
}

std::string SummaryText(const ExportReport& report) {
  std::string text;
  for (const ExportedFile& file : report.files) {
    text += "Wrote " + file.path + ": " + std::string(report.format->model) + ", point " +
            std::to_string(file.point_number) + " of " + report.source + ", " + std::to_string(file.components) +
            " components\n";
  }
  return text;
}

std::string SummaryJson(const ExportReport& report) {
  nlohmann::ordered_json json;
  json["format"] = report.format->name;
  json["model"] = report.format->model;
  json["source"] = report.source;
  nlohmann::ordered_json& files = json["files"] = nlohmann::ordered_json::array();
  for (const ExportedFile& file : report.files) {
    files.push_back({{"path", file.path}, {"point", file.point_number}, {"components", file.components}});
  }
  json["warnings"] = report.warnings;
  return json.dump(2) + "\n";
}

}  // namespace wavecomp::exporter
