// A .NET host of kelvo: opens a session to a controller (or kelvo-sim), reads where the robot
// stands, switches digital output 3 on and reads the inputs, which kelvo-sim wires back to the
// outputs. Usage: KelvoExample.exe [ADDR]
using System;
using System.Linq;
using Kelvo;

public static class KelvoExample
{
    public static int Main(string[] args)
    {
        string address = args.Length > 0 ? args[0] : "127.0.0.1";
        Console.WriteLine("kelvo " + Api.Version());
        int error;
        using (SessionHandle session = Api.kelvo_open(address, 0, 5000, out error))
        {
            if (session.IsInvalid)
            {
                Console.Error.WriteLine("cannot connect to " + address + ": " + Api.StrError(error));
                return 1;
            }
            try
            {
                var position = new double[6];
                Api.Check(Api.kelvo_get_current_position(session, position, 1));
                Console.WriteLine("cartesian " + string.Join(" ", position.Select(v => v.ToString("F3"))));

                Api.Check(Api.kelvo_set_dout(session, 3, 1));
                var inputs = new double[16];
                Api.Check(Api.kelvo_get_din(session, inputs));
                Console.WriteLine("din 1-16 " + string.Join(" ", inputs));
            }
            catch (KelvoException e)
            {
                Console.Error.WriteLine("kelvo: " + e.Message);
                return 1;
            }
        }
        return 0;
    }
}
