#include "check/targets/component_file.h"

#include <utility>

namespace wavecomp::check {

ComponentFile::ComponentFile(ComponentFileContents contents)
    : name(std::move(contents.name)),
      num_p(contents.num_p),
      layout(contents.layout),
      trailer(std::move(contents.trailer)),
      set(std::move(contents.set)),
      headers_(std::move(contents.headers)) {
  MakeViews();
}

ComponentFile::ComponentFile(ComponentFileContents contents, std::string_view model)
    : ComponentFile(std::move(contents)) {
  format = model;
}

ComponentFile::ComponentFile(const ComponentFile& other)
    : name(other.name),
      num_p(other.num_p),
      layout(other.layout),
      trailer(other.trailer),
      set(other.set),
      format(other.format),
      headers_(other.headers_) {
  MakeViews();
}

ComponentFile& ComponentFile::operator=(const ComponentFile& other) {
  if (this != &other) *this = ComponentFile(other);
  return *this;
}

void ComponentFile::MakeViews() {
  points.clear();
  points.reserve(set.points.size());
  for (std::size_t v = 0; v < set.points.size(); ++v) {
    const ComponentSet::Point& point = set.points[v];
    const PointHeader& header = headers_[v];
    points.push_back({header.point_number, header.declared_count, header.spectrum_code, header.gamma,
                      header.header_line, set.FrequenciesOf(point), point.amplitude, set.DirectionsOf(point),
                      set.PhasesOf(point)});
  }
}

ComponentFile ReadComponentFile(const textio::TextFile& file) {
  return ComponentFile(wavecomp::ReadComponentFile(file));
}

}  // namespace wavecomp::check
