#include "tools/huesieve-render/frame_work.h"

#include "image/image_files.h"

namespace huesieve::cli {

FileFrames::FileFrames(const FrameRenderer& renderer, const std::vector<std::string>& inputs,
                       const std::vector<std::string>& outputs,
                       const image::ReadOptions& read_options,
                       std::optional<image::OutputType> output_type,
                       files::TemporaryFiles& temporaries, WriteNotes& notes)
    : renderer_(renderer),
      inputs_(inputs),
      outputs_(outputs),
      read_options_(read_options),
      output_type_(output_type),
      temporaries_(temporaries),
      notes_(notes) {}

bool FileFrames::Read(std::uint64_t index) {
  header_ = image::ReadImageFile(inputs_.at(index), read_options_, frame_);
  return true;
}

void FileFrames::Render(std::uint64_t index) {
  renderer_.Render(frame_, inputs_.at(index));
}

void FileFrames::Write(std::uint64_t index) {
  const std::string& output = outputs_.at(index);
  notes_.Tell(output, image::WriteImageFile(output, header_, output_type_, frame_, temporaries_));
}

std::string FileFrames::Name(std::uint64_t index) const { return inputs_.at(index); }

StreamFrames::StreamFrames(const FrameRenderer& renderer, RawReader& reader, RawWriter& writer,
                           const std::string& input_name)
    : renderer_(renderer), reader_(reader), writer_(writer), input_name_(input_name) {}

bool StreamFrames::Read(std::uint64_t index) { return reader_.ReadFrame(index + 1, frame_); }

void StreamFrames::Render(std::uint64_t index) { renderer_.Render(frame_, Name(index)); }

void StreamFrames::Write(std::uint64_t) { writer_.WriteFrame(frame_); }

std::string StreamFrames::Name(std::uint64_t index) const {
  return "frame " + std::to_string(index + 1) + " of " + input_name_;
}

}  // namespace huesieve::cli
