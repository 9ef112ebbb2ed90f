#pragma once
// Stands in for the window system and the painter behind the Orbicle and Fluxel rollouts:
// records what the dialog procedures ask of them. One recorder is installed at a time.

#include <string>
#include <vector>

#include "sources/influence_table_painting.h"
#include "sources/rollout_controls.h"

struct SourceRolloutRecorder {
  struct Taken {
    HWND dialog;
    int control;
    std::wstring caption;
    std::wstring tooltip;
  };
  struct Control {
    HWND dialog;
    int control;
  };
  struct About {
    HWND owner;
    LPARAM first;
    LPARAM second;
  };
  struct Toggle {
    ReferenceTarget* source;
    InfluenceTables* tables;
    HWND dialog;
    int button;
  };
  std::vector<Taken> taken;
  std::vector<ICustButton*> released;
  std::vector<Control> checkButtons;
  std::vector<About> abouts;
  std::vector<Toggle> toggles;
  std::vector<ReferenceTarget*> options;
  std::vector<ReferenceTarget*> stops;
  // The interface handed out: any address will do, the procedures only hold and return it.
  int storage = 0;
  ICustButton* button = reinterpret_cast<ICustButton*>(&storage);

  void Clear() {
    taken.clear();
    released.clear();
    checkButtons.clear();
    abouts.clear();
    toggles.clear();
    options.clear();
    stops.clear();
  }
  void Install() {
    current() = this;
    RolloutControls controls;
    controls.takeButton = [](HWND d, int c, const MCHAR* caption, const MCHAR* tooltip) {
      current()->taken.push_back({d, c, caption, tooltip});
      return current()->button;
    };
    controls.releaseButton = [](ICustButton* b) { current()->released.push_back(b); };
    controls.makeCheckButton = [](HWND d, int c) { current()->checkButtons.push_back({d, c}); };
    controls.openAboutBox = [](HWND o, LPARAM a, LPARAM b) { current()->abouts.push_back({o, a, b}); };
    GetRolloutControls() = controls;
    InfluenceTablePainting painting;
    painting.toggle = [](ReferenceTarget* s, InfluenceTables& t, HWND d, int b) {
      current()->toggles.push_back({s, &t, d, b});
    };
    painting.showOptions = [](ReferenceTarget* s) { current()->options.push_back(s); };
    painting.stop = [](ReferenceTarget* s) { current()->stops.push_back(s); };
    GetInfluenceTablePainting() = painting;
  }
  void Uninstall() {
    GetRolloutControls() = RolloutControls{};
    GetInfluenceTablePainting() = InfluenceTablePainting{};
    current() = nullptr;
  }

private:
  static SourceRolloutRecorder*& current() {
    static SourceRolloutRecorder* r = nullptr;
    return r;
  }
};
