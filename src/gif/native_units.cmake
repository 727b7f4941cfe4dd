# The codec's units that need no windows.h: streams, the LZW coders and the
# file's side of the object model (header, colour maps, extension blocks,
# frames, the image and its frame list). The program's library and the native
# fuzz build (tests/gif_fuzz) both take this list.
set(vorlix_gif_native_units
  gif_stream.cpp
  gif_lzw_decoder.cpp
  gif_items.cpp
  gif_colormap.cpp
  gif_header.cpp
  gif_extensions.cpp
  gif_encoder.cpp
  gif_frame_data.cpp
  gif_image_data.cpp
)
