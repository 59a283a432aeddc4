# Builds a small level in Blender as a level maker would and exports it as glTF and as OBJ into the folder named
# after "--". Blender's z is the game's y and its y the game's -z. In the game's terms: a floor from x -8 to 16
# and z -8 to 16; a wall 1.2 high half a unit inside collision box 2 (x 2..6, z -4..4), its texture upright
# seen from the start; a crate 0.4 high inside that box; a stray wall across open ground at z 10.
import sys

import bpy

out = sys.argv[sys.argv.index("--") + 1]
bpy.ops.wm.read_factory_settings(use_empty=True)


def textured(name, image_name):
    material = bpy.data.materials.new(name)
    material.use_nodes = True
    image = bpy.data.images.new(image_name, 4, 4)
    image.filepath_raw = f"{out}/{image_name}"
    image.file_format = "PNG"
    image.save()
    node = material.node_tree.nodes.new("ShaderNodeTexImage")
    node.image = image
    bsdf = material.node_tree.nodes["Principled BSDF"]
    material.node_tree.links.new(node.outputs["Color"], bsdf.inputs["Base Color"])
    return material


def add(name, material, corners, faces, uvs, location=(0, 0, 0), scale=(1, 1, 1)):
    mesh = bpy.data.meshes.new(name)
    mesh.from_pydata(corners, [], faces)
    layer = mesh.uv_layers.new()
    for loop in mesh.loops:
        layer.data[loop.index].uv = uvs[loop.vertex_index]
    mesh.materials.append(material)
    thing = bpy.data.objects.new(name, mesh)
    thing.location, thing.scale = location, scale
    bpy.context.scene.collection.objects.link(thing)


square_uvs = [(0, 0), (1, 0), (1, 1), (0, 1)]
add("Floor", bpy.data.materials.new("floor1"), [(-8, -16, 0), (16, -16, 0), (16, 8, 0), (-8, 8, 0)], [(0, 1, 2, 3)],
    [(0, 0), (6, 0), (6, 6), (0, 6)])
# Made a unit high at the origin, moved and stretched by its object's transform. Seen from the start (-x), game
# z -4 is on the left: u runs from there to the right, v from the floor up.
add("Wall", bpy.data.materials.new("Wall1"), [(0, 4, 0), (0, -4, 0), (0, -4, 1), (0, 4, 1)], [(0, 1, 2, 3)],
    square_uvs, location=(2.5, 0, 0), scale=(1, 1, 1.2))
add("StrayWall", bpy.data.materials.new("wall1.001"), [(8, -10, 0), (12, -10, 0), (12, -10, 1), (8, -10, 1)],
    [(0, 1, 2, 3)], square_uvs)
cube = [(x, y, z) for z in (0, 1) for y in (0, 1) for x in (0, 1)]
add("Crate", textured("Box", "crate.png"), cube,
    [(0, 2, 3, 1), (4, 5, 7, 6), (0, 1, 5, 4), (2, 6, 7, 3), (0, 4, 6, 2), (1, 3, 7, 5)],
    [(x + y, z) for x, y, z in cube], location=(3, -0.4, 0), scale=(0.8, 0.8, 0.4))

bpy.ops.export_scene.gltf(filepath=f"{out}/level.gltf", export_format="GLTF_SEPARATE")
bpy.ops.wm.obj_export(filepath=f"{out}/level.obj")
