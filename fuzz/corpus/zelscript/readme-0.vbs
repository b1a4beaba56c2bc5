   Sub Main

   	dbg.output "[EXE]-zel.AddController('RC1', 'Zel.Virtual', 'pc-7', '@EventDisable=true')"
   	Call zel.AddController("RC1", "Zel.Virtual", "pc-7", "@EventDisable=true")
   	dbg.output "Succeeded."

   	dbg.output "[EXE]-zel.Controllers('RC1').AddRobot('Arm', '')"
   	Call zel.Controllers("RC1").AddRobot("Arm", "")
   	dbg.output "Succeeded."

   	dbg.output "[EXE]-zel.Controllers('RC1').Robots('Arm').Drive(7, 10, '')"
   	Call zel.Controllers("RC1").Robots("Arm").Drive(7, 10, "")
   	dbg.output "Succeeded."

   End Sub
   