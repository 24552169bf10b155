#pragma once
// A mesh of two joints in the mesh text format: a root joint at the origin and a tip joint, of
// the given name, one unit up; vertex 0 rides the tip, vertex 1 is shared half and half, vertex
// 2 has no influence at all.
#include <string>

inline std::string TwoJointMeshText(const char* tipName)
{
    return std::string("nummeshes 1\n"
                       "numjoints 2\n"
                       "joint -1 root 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n"
                       "joint 0 ") +
           tipName +
           " 1 0 0 0 0 1 0 0 0 0 1 0 0 1 0 1\n"
           "mesh 0\n"
           "numverts 3\n"
           "vert 0 2 0 0 0.25 1 0 0 1 0 0\n"
           "vert 1 1 0 1 0 1 0 0 1 1 1\n"
           "vert 0.5 0.5 0.5 0 1 0 1 0 1 1 1\n"
           "numtris 1\n"
           "tri 0 0 1 2\n"
           "numweights 3\n"
           "weight 1 1 1\n"
           "weight 2 0 0.5 1 0.5\n"
           "weight 0\n";
}
