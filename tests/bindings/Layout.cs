// Fails unless ContinuousMotionPoint marshals to the C struct's layout: a queue point the library
// read at other offsets would move the robot somewhere else.
using System;
using System.Runtime.InteropServices;
using Kelvo;

public static class Layout
{
    public static int Main()
    {
        Type point = typeof(ContinuousMotionPoint);
        int size = Marshal.SizeOf(point);
        long spin = (long)Marshal.OffsetOf(point, "Spin");
        long pos = (long)Marshal.OffsetOf(point, "Pos");
        long type = (long)Marshal.OffsetOf(point, "Type");
        Console.WriteLine("ContinuousMotionPoint: " + size + " bytes, Spin " + spin + ", Pos " + pos + ", Type " + type);
        return size == 200 && spin == 32 && pos == 40 && type == 192 ? 0 : 1;
    }
}
