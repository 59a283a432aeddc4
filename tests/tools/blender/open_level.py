# Opens the glTF file named after "--" in Blender and prints what Blender made of it on one line.
import sys

import bpy

bpy.ops.wm.read_factory_settings(use_empty=True)
# Debian's Blender 3.4 with its numpy stops in the importer's default shading (np.bool is gone); flat shading
# takes another path.
bpy.ops.import_scene.gltf(filepath=sys.argv[sys.argv.index("--") + 1], import_shading="FLAT")
meshes = [thing for thing in bpy.data.objects if thing.type == "MESH"]
print(f"opened: {len(meshes)} meshes, {len(bpy.data.materials)} materials,",
      f"{sum(len(thing.data.polygons) for thing in meshes)} faces,",
      f"{len(bpy.data.objects['collision'].data.edges)} collision edges,",
      f"{sum(image.size[0] > 0 for image in bpy.data.images)} pictures")
