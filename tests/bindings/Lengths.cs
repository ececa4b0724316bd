// Fails unless every call that takes an array refuses one shorter than the library reads or writes,
// with ArgumentException, before the library sees it: an overrun corrupts the managed heap silently.
// Arrays of the right length reach the library (flat calls before connect_robot return at once).
using System;
using Kelvo;

public static class Lengths
{
    public static int Main()
    {
        var shortCalls = new Action[]
        {
            () => Api.get_current_position(new double[2], 1),
            () => Api.get_current_sync_position(new double[4]),
            () => Api.get_dout(new double[15]),
            () => Api.get_ain(null),
            () => Api.robot_movj(new double[] { 0, 0 }, 50, 0),
            () => Api.robot_movc(new double[6], new double[6], new double[5], 10, 0),
            () => Api.send_continuous_motion_queue(new ContinuousMotionPoint[1], 2),
            () => Api.kelvo_get_current_position(null, new double[2], 1),
            () => Api.kelvo_get_din(null, new double[8]),
            () => Api.kelvo_robot_movl(null, new double[5], 10, 1),
            () => Api.kelvo_robot_movca(null, new double[6], new double[2], new double[6], 10, 0),
            () => Api.kelvo_send_continuous_motion_queue(null, null, 1),
        };
        var fullCalls = new Action[]
        {
            () => Api.get_current_position(new double[6], 1),
            () => Api.get_aout(new double[16]),
            () => Api.robot_movl(new double[6], 10, 1),
            () => Api.send_continuous_motion_queue(null, 0),
        };
        int failures = 0;
        for (int i = 0; i < shortCalls.Length; ++i)
        {
            try
            {
                shortCalls[i]();
                Console.WriteLine("short array " + i + ": no ArgumentException");
                ++failures;
            }
            catch (ArgumentException)
            {
            }
        }
        for (int i = 0; i < fullCalls.Length; ++i)
        {
            try
            {
                fullCalls[i]();
            }
            catch (Exception error)
            {
                Console.WriteLine("full array " + i + ": " + error.GetType().Name);
                ++failures;
            }
        }
        return failures == 0 ? 0 : 1;
    }
}
