// The simulated phone's overlay hardware. It keeps every object it hands out
// (display objects, surfaces, images) until it is released, checks each call
// the way the hardware does, and records which picture was copied into which
// surface and what is shown where.
//
// The checks: objects must be alive and of the right kind; the window given
// for cooperation must exist; only one primary surface and one overlay
// surface may exist at a time; an overlay surface needs overlay capabilities,
// one of the accepted 16-bit RGB formats (5-5-5 and 5-6-5 by default) and a
// width that is a multiple of the source size alignment; showing needs a
// destination, a width stretched by at least the minimum overlay stretch, a
// right edge on the destination alignment, and source colour keying in the
// capabilities when the colour-key override is asked for. Releasing an
// object twice or one never made is counted, not fatal (invalidReleases()).
//
// Pictures: bitmaps 157-160, 169-174 and 176-179 (240 x 240), and the
// compressed pictures 167 (480 x 800), 168 (480 x 320) and 175 (800 x 480);
// each only in its own kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

#include "platform/sim/sim_context.h"
#include "platform/sim/sim_windows.h"
#include "ports/overlay_device_port.h"

// Failure codes of the checks, in the platform's failure range; the program
// only tells 0 from the rest.
namespace OverlayError {
inline constexpr std::int32_t invalidParams = static_cast<std::int32_t>(0x80070057u);
inline constexpr std::int32_t invalidObject = static_cast<std::int32_t>(0x88760082u);
inline constexpr std::int32_t invalidRect = static_cast<std::int32_t>(0x88760096u);
inline constexpr std::int32_t invalidPixelFormat = static_cast<std::int32_t>(0x88760091u);
inline constexpr std::int32_t noOverlayHardware = static_cast<std::int32_t>(0x887600B4u);
inline constexpr std::int32_t noColorKeyHardware = static_cast<std::int32_t>(0x887600DCu);
inline constexpr std::int32_t outOfCaps = static_cast<std::int32_t>(0x887600A0u);
inline constexpr std::int32_t primaryExists = static_cast<std::int32_t>(0x88760234u);
inline constexpr std::int32_t alignment = static_cast<std::int32_t>(0x88760230u);
}  // namespace OverlayError

// The overlay capability bit of flipping overlays: set on every phone with
// overlay hardware, so that the capabilities stay non-zero without colour
// keying.
inline constexpr std::uint32_t simOverlayFlipCaps = 0x01;

struct SimOverlayConfig {
  // Overlay supported with source colour keying, no alignments, no stretch.
  Overlay::Caps caps{simOverlayFlipCaps | Overlay::capsSourceColorKey, 0, 0, 1000};
  bool acceptsRgb555 = true;
  bool acceptsRgb565 = true;
};

class SimOverlayDevice : public OverlayDevicePort {
 public:
  using Config = SimOverlayConfig;

  // What the overlay shows.
  struct Shown {
    std::uint32_t picture = 0;  // resource id copied into the surface, 0 for none
    Overlay::Rect destination;
    bool keyed = false;  // black is transparent
    Overlay::Object surface = 0;
  };

  SimOverlayDevice(SimContext& context, SimWindows& windows, const Config& config = Config());

  Config& config() { return config_; }
  std::optional<Shown> shownPicture() const { return shown_; }
  // The picture last copied into a surface, 0 for none.
  std::uint32_t pictureIn(Overlay::Object surface) const;
  // Display objects, surfaces and images not yet released.
  std::size_t liveObjects() const { return objects_.size() + images_.size(); }
  std::size_t invalidReleases() const { return invalidReleases_; }

  // --- OverlayDevicePort ---
  std::int32_t createDisplayObject(Overlay::Object& display) override;
  std::int32_t setCooperativeLevel(Overlay::Object display, WindowHandle window,
                                   std::uint32_t flags) override;
  std::int32_t createPrimarySurface(Overlay::Object display, Overlay::Object& surface) override;
  std::int32_t getCaps(Overlay::Object display, Overlay::Caps& caps) override;
  std::int32_t createOverlaySurface(Overlay::Object display, const Overlay::SurfaceRequest& request,
                                    Overlay::Object& surface) override;
  std::int32_t surfaceSize(Overlay::Object surface, std::int32_t& width,
                           std::int32_t& height) override;
  Overlay::Image loadImage(std::uint32_t resourceId, bool compressed) override;
  bool copyImage(Overlay::Object surface, Overlay::Image image, std::int32_t width,
                 std::int32_t height) override;
  void deleteImage(Overlay::Image image) override;
  std::int32_t updateOverlay(Overlay::Object surface, const Overlay::Rect* source,
                             Overlay::Object primary, const Overlay::Rect* destination,
                             std::uint32_t flags, const Overlay::Effects* effects) override;
  void release(Overlay::Object object) override;

 private:
  enum class Kind { display, primary, overlay };
  struct Object {
    Kind kind = Kind::display;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t picture = 0;
  };
  struct Image {
    std::uint32_t resourceId = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
  };

  bool isKind(Overlay::Object object, Kind kind) const;
  std::size_t countKind(Kind kind) const;
  Overlay::Object add(Object object);
  void hide();

  SimContext& context_;
  SimWindows& windows_;
  Config config_;
  std::map<Overlay::Object, Object> objects_;
  std::map<Overlay::Image, Image> images_;
  std::uintptr_t nextHandle_ = 0xD000;
  std::optional<Shown> shown_;
  std::size_t invalidReleases_ = 0;
};
