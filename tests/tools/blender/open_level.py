# Opens the glTF file named after "--" in Blender and prints what Blender made of it on one line. Given a second
# file, paints the picture wall1 over as a level maker would and exports the scene there, as glTF Separate or
# glTF Binary by its name; Blender keeps pixels as floats, so each is set in steps of 1/255.
import sys

import bpy

files = sys.argv[sys.argv.index("--") + 1:]
bpy.ops.wm.read_factory_settings(use_empty=True)
# Debian's Blender 3.4 with its numpy stops in the importer's default shading (np.bool is gone); flat shading
# takes another path.
bpy.ops.import_scene.gltf(filepath=files[0], import_shading="FLAT")
meshes = [thing for thing in bpy.data.objects if thing.type == "MESH"]
print(f"opened: {len(meshes)} meshes, {len(bpy.data.materials)} materials,",
      f"{sum(len(thing.data.polygons) for thing in meshes)} faces,",
      f"{len(bpy.data.objects['collision'].data.edges)} collision edges,",
      f"{sum(image.size[0] > 0 for image in bpy.data.images)} pictures")
if len(files) > 1:
    wall = next(image for image in bpy.data.images if image.name.startswith("wall1"))
    width, height = wall.size
    # Blender's first pixel is the bottom left one.
    wall.pixels = [channel / 255 for y in range(height) for x in range(width)
                   for channel in ((x + 2 * y) % 256, 3 * x % 256, 2 * y % 256, 255)]
    bpy.ops.export_scene.gltf(filepath=files[1], export_format="GLB" if files[1].endswith(".glb") else "GLTF_SEPARATE")
