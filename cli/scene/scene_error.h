#pragma once
// What is wrong with a scene description: the file, the place in it (a JSON pointer into the
// description, or a line of a referenced OBJ file) and the problem.

#include <stdexcept>
#include <string>

struct SceneError {
  std::string file;
  std::string place;  // "/nodes/2/object/segments", "line 14", or empty for the whole file
  std::string what;

  // "scene.json: /nodes/2/object/segments: must be at least 1, got -3"
  std::string Text() const;
};

// Thrown inside the description reader and caught at its boundary (ParseSceneFile and friends),
// which hand a SceneError back to the commands.
class SceneParseError : public std::runtime_error {
public:
  explicit SceneParseError(SceneError e) : std::runtime_error(e.Text()), error_(std::move(e)) {}
  const SceneError& Error() const { return error_; }

private:
  SceneError error_;
};
